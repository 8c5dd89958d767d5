#include "sets/RecordAsSet.h"

#include "io/LocalPath.h"
#include "io/OutputFile.h"
#include "picture/PngEncode.h"
#include "picture/RenderWheel.h"
#include "sets/SetFile.h"

#include <QDir>
#include <QFileInfo>

#include <opencv2/imgproc.hpp>

namespace wheel {

namespace {

// "wheel.wheelset": "wheel-01.png" for box 1 ... "wheel-20.png".
QString PicturePath(const QFileInfo& set, int box)
{
    return set.absoluteDir().absoluteFilePath(
        QStringLiteral("%1-%2.png").arg(set.completeBaseName(), QString::number(box).rightJustified(2, u'0')));
}

} // namespace

RecordSetResult SaveRecordAsSet(const WheelRecord& record, const QString& setPath, QString* problem)
{
    const QFileInfo info(setPath);
    PictureSet set;
    int modeOn = 0;
    std::vector<std::vector<std::uint8_t>> pngs;
    std::vector<QString> paths;
    for (int box = 1; box <= kSlotBoxes; ++box) {
        const RecordedSlot& slot = record.Box(box);
        if (!slot.Holds())
            continue;
        std::vector<std::uint8_t> png;
        if (!EncodePng(PictureOfFrame(FrameOfBlock(slot.block)), png)) {
            if (problem)
                *problem = QStringLiteral("cannot encode the picture of box %1").arg(box);
            return RecordSetResult::Unwritable;
        }
        pngs.push_back(std::move(png));
        const QString path = PicturePath(info, box);
        paths.push_back(path);
        set.Cell(box) = SetCell{path, {}};
        modeOn += slot.block[kTrailerMode] != 0;
    }
    if (pngs.empty())
        return RecordSetResult::NothingKnown;
    set.mode48 = 2 * modeOn >= static_cast<int>(pngs.size());
    const QByteArray setBytes = SetFileBytes(set, info.absoluteFilePath());

    OutputFiles files;
    OutputError error;
    std::vector<std::span<const std::uint8_t>> contents;
    bool ok = true;
    for (std::size_t i = 0; ok && i < pngs.size(); ++i) {
        ok = files.Prepare(wheel::LocalPath(paths[i]), &error);
        contents.push_back(pngs[i]);
    }
    if (ok) {
        ok = files.Prepare(wheel::LocalPath(info.absoluteFilePath()), &error);
        contents.push_back({reinterpret_cast<const std::uint8_t*>(setBytes.constData()),
                            static_cast<std::size_t>(setBytes.size())});
    }
    if (ok)
        ok = files.Commit(contents, &error);
    if (ok)
        return RecordSetResult::Saved;
    if (problem)
        *problem = QStringLiteral("%1: %2").arg(QString::fromStdString(error.path), QString::fromStdString(error.reason));
    return RecordSetResult::Unwritable;
}

QStringList RecordSetPictures(const WheelRecord& record, const QString& setPath)
{
    const QFileInfo info(setPath);
    QStringList paths;
    for (int box = 1; box <= kSlotBoxes; ++box)
        if (record.Box(box).Holds())
            paths << PicturePath(info, box);
    return paths;
}

cv::Mat RecordedPreview(const TransferBlock& block, int size)
{
    cv::Mat preview = MakeBlankPreview();
    RenderPreview(PictureOfFrame(FrameOfBlock(block)), preview);
    if (size == kWorkSize)
        return preview;
    cv::Mat small;
    cv::resize(preview, small, cv::Size(size, size), 0, 0, cv::INTER_AREA);
    return small;
}

} // namespace wheel
