#include "diy/DiyTemplate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "io/LocalPath.h"
#include "io/OutputFile.h"
#include "picture/Codecs.h"

#include <opencv2/imgproc.hpp>

#include <vector>

std::atomic<bool> g_bDiyPictureReady{false};

namespace wheel {

namespace {

// Whether a file can be created in `dir`; asks the file system itself,
// because permission bits say nothing about read-only mounts.
bool CanCreateFilesIn(const QString& dir)
{
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".wheel-probe-XXXXXX")));
    return probe.open();
}

} // namespace

QString ResolveDiyPicturePath(const QString& programDir, const QString& dataDir)
{
    if (CanCreateFilesIn(programDir))
        return QDir(programDir).filePath(kDiyPictureName);
    if (!dataDir.isEmpty() && QDir().mkpath(dataDir) && CanCreateFilesIn(dataDir))
        return QDir(dataDir).filePath(kDiyPictureName);
    return {};
}

QString DiyPicturePath()
{
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return ResolveDiyPicturePath(QCoreApplication::applicationDirPath(), dataDir);
}

cv::Mat MakeDiyTemplate()
{
    cv::Mat picture(440, 440, CV_8UC3, cv::Scalar(255, 255, 255, 0));
    const cv::Scalar red(0, 0, 255, 0);
    cv::circle(picture, cv::Point(220, 220), 71, red, 1, cv::LINE_8, 0);
    cv::circle(picture, cv::Point(220, 220), 222, red, 1, cv::LINE_8, 0);
    return picture;
}

bool SaveFileAtomically(const QString& path, const char* data, qint64 size, QString* error)
{
    OutputError failure;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
    if (!WriteOutputFile(wheel::LocalPath(path), {bytes, std::size_t(size)}, &failure)) {
        if (error)
            *error = QString::fromLocal8Bit(failure.reason.c_str());
        return false;
    }
    return true;
}

bool WriteDiyTemplate(const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("无法写入DIY模板图片：%1\n%2").arg(QDir::toNativeSeparators(path), why);
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("程序目录和用户数据目录都不能写入文件"));
    std::vector<uchar> bytes;
    if (!codecs::Encode(".bmp", MakeDiyTemplate(), bytes))
        return fail(QStringLiteral("无法生成位图"));
    QString why;
    if (!SaveFileAtomically(path, reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()), &why))
        return fail(why);
    return true;
}

} // namespace wheel
