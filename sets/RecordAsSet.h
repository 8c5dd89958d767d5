#pragma once
// "把轮上的图片存为图片组…": the pictures the record says the wheel light
// holds, as a picture set that puts them back (after a factory reset, say).

#include "picture/WheelFrame.h"
#include "record/WheelRecord.h"

#include <QString>
#include <QStringList>

#include <opencv2/core.hpp>

namespace wheel {

// Writes a set at `setPath` with a PNG picture beside it for every slot the
// record knows (PictureOfFrame of its frame, which converts back into that
// frame exactly), named after the set ("wheel.wheelset": "wheel-01.png" for
// box 1 ... "wheel-20.png"), and the 48-picture mode most of them were sent
// with. All files or none; existing files of those names are replaced.
enum class RecordSetResult { Saved, NothingKnown, Unwritable };
// `problem`: with Unwritable, the file and the system's reason.
RecordSetResult SaveRecordAsSet(const WheelRecord& record, const QString& setPath, QString* problem = nullptr);

// The picture files SaveRecordAsSet writes beside `setPath`, by box, so that
// the user can be asked before any of them is replaced.
QStringList RecordSetPictures(const WheelRecord& record, const QString& setPath);

// A recorded block as the main window's round preview shows it, `size`
// pixels square (BGR): what a slot holds, at a glance.
cv::Mat RecordedPreview(const TransferBlock& block, int size);

} // namespace wheel
