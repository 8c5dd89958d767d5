#include "sets/RecordAsSet.h"

#include "io/LocalPath.h"
#include "io/OutputFile.h"
#include "picture/PngEncode.h"
#include "picture/RenderWheel.h"
#include "sets/SetFile.h"

#include <QDir>
#include <QFileInfo>

#include <opencv2/imgproc.hpp>

#include <array>
#include <cmath>
#include <cstdlib>

namespace wheel {

namespace {

constexpr double kLedSpacing = 4.5;
constexpr double kOuterRadius = 155.0;

bool Bit(const WheelFrame& frame, int entry, int led)
{
    return (frame[static_cast<std::size_t>(3 * entry + led / 8)] >> (led % 8)) & 1;
}

// The entry whose ray is nearest to each whole degree.
std::array<int, 360> NearestEntries()
{
    std::array<int, 360> nearest{};
    for (int d = 0; d < 360; ++d) {
        int best = 360;
        for (int k = 0; k < kColumns; ++k) {
            const int apart = std::abs(EntryAngle(k) - d);
            const int distance = std::min(apart, 360 - apart);
            if (distance < best) {
                best = distance;
                nearest[static_cast<std::size_t>(d)] = k;
            }
        }
    }
    return nearest;
}

// "wheel.wheelset": "wheel-01.png" for box 1 ... "wheel-20.png".
QString PicturePath(const QFileInfo& set, int box)
{
    return set.absoluteDir().absoluteFilePath(
        QStringLiteral("%1-%2.png").arg(set.completeBaseName(), QString::number(box).rightJustified(2, u'0')));
}

} // namespace

cv::Mat PictureOfFrame(const WheelFrame& frame)
{
    static const std::array<int, 360> nearest = NearestEntries();
    cv::Mat picture(kWorkSize, kWorkSize, CV_8UC1, cv::Scalar(255));
    for (int y = 0; y < kWorkSize; ++y) {
        auto* row = picture.ptr<std::uint8_t>(y);
        for (int x = 0; x < kWorkSize; ++x) {
            // A sample at (x, y) is a point inside this pixel: its centre
            // stands for it.
            const double dx = x + 0.5 - kCentre;
            const double dy = kCentre - (y + 0.5);
            const long led = std::lround((kOuterRadius - std::hypot(dx, dy)) / kLedSpacing);
            if (led < 0 || led >= kLeds)
                continue;  // outside the LEDs' ring: unlit
            double degrees = std::atan2(dx, dy) * 180.0 / M_PI;
            if (degrees < 0)
                degrees += 360.0;
            const int d = static_cast<int>(std::lround(degrees)) % 360;
            row[x] = Bit(frame, nearest[static_cast<std::size_t>(d)], static_cast<int>(led)) ? 255 : 0;
        }
    }
    // The pixels the conversion samples, exactly; no two LEDs share one.
    for (int c = 0; c < kColumns; ++c) {
        const int entry = kColumns - 1 - c;
        for (int j = 0; j < kLeds; ++j) {
            const cv::Point p = SamplePoint(kOuterRadius - kLedSpacing * j, (360 * c) / kColumns);
            picture.at<std::uint8_t>(p.y, p.x) = Bit(frame, entry, j) ? 255 : 0;
        }
    }
    return picture;
}

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
        WheelFrame frame{};
        std::copy_n(slot.block.begin(), kFrameBytes, frame.begin());
        std::vector<std::uint8_t> png;
        if (!EncodePng(PictureOfFrame(frame), png)) {
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
    WheelFrame frame{};
    std::copy_n(block.begin(), kFrameBytes, frame.begin());
    cv::Mat preview = MakeBlankPreview();
    RenderPreview(PictureOfFrame(frame), preview);
    if (size == kWorkSize)
        return preview;
    cv::Mat small;
    cv::resize(preview, small, cv::Size(size, size), 0, 0, cv::INTER_AREA);
    return small;
}

} // namespace wheel
