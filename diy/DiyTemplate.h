#pragma once
// The working file of the DIY round trip and the blank template written into
// it on every press of "DIY". Free of widgets.

#include <QString>

#include <opencv2/core.hpp>

#include "diy/DiyHandoff.h"

namespace wheel {

inline const QString kDiyPictureName = QStringLiteral("自行车风火轮.bmp");

// The working file: beside the program when files can be created there,
// otherwise in `dataDir` (created when missing). Empty when neither can take
// a file.
QString ResolveDiyPicturePath(const QString& programDir, const QString& dataDir);
// The same for this process: the program's directory, then the user's
// application data directory.
QString DiyPicturePath();

// The blank template: 440 x 440 white, a red circle of radius 71 about the
// centre and one of radius 222 that the borders clip into four corner arcs.
cv::Mat MakeDiyTemplate();

// Writes the template as a 24-bit BMP through a temporary file beside
// `path`. On failure `error` holds the message for the user.
bool WriteDiyTemplate(const QString& path, QString* error = nullptr);

// Writes `bytes` to `path` as every output of the editor is written
// (io/OutputFile.h): through a temporary and a rename, keeping a
// symlink, the file's permissions and owner; a device or FIFO in place.
bool SaveFileAtomically(const QString& path, const char* data, qint64 size, QString* error = nullptr);

} // namespace wheel
