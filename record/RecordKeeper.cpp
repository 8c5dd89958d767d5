#include "record/RecordKeeper.h"

#include "io/LocalPath.h"
#include "io/OutputFile.h"
#include "io/ReadFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace wheel {

namespace {

using Status = RecordNews::Status;
using Why = RecordNews::Why;

RecordNews Unwritable(const QString& path, Why why, std::string reason = {})
{
    return RecordNews::Of(Status::Unwritable, why, path, std::move(reason));
}

// Why the lock file cannot be made, in the system's words: QLockFile only
// says that it could not.
std::string LockFileReason(const std::string& lockPath)
{
    const int fd = ::open(lockPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return SystemReason(errno);
    ::close(fd);
    ::unlink(lockPath.c_str());
    return "the lock file cannot be written";
}

// A damaged record goes aside under a name of its own, beside it.
bool MoveAside(const QString& path, QString& movedTo, int& err)
{
    const QString stem = path + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 100; ++n) {
        movedTo = n == 1 ? stem : stem + QStringLiteral("-%1").arg(n);
        struct stat st {};
        if (::lstat(LocalPath(movedTo).c_str(), &st) == 0)
            continue;
        if (::rename(LocalPath(path).c_str(), LocalPath(movedTo).c_str()) == 0)
            return true;
        err = errno;
        return false;
    }
    err = EEXIST;
    return false;
}

// Reads, changes and writes the record under its lock file.
template <typename Change>
RecordNews Update(const QString& path, Change change)
{
    const std::string local = LocalPath(path);
    std::error_code made;
    if (const auto folder = std::filesystem::path(local).parent_path(); !folder.empty())
        std::filesystem::create_directories(folder, made);
    if (made)
        return Unwritable(path, Why::System, made.message());
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(2000)) {
        if (lock.error() == QLockFile::LockFailedError)
            return Unwritable(path, Why::Locked);
        return Unwritable(path, Why::System, LockFileReason(local + ".lock"));
    }
    RecordNews news;
    WheelRecord record = ReadRecord(path, &news);
    if (news.status == Status::Unavailable)
        return news;  // left exactly as it is
    if (news.status == Status::Damaged) {
        int err = 0;
        if (!MoveAside(path, news.movedTo, err))
            return Unwritable(path, Why::System, SystemReason(err));
        news.status = Status::Kept;
    }
    change(record);
    RemoveLeftoverTemporaries(local);
    const QByteArray bytes = RecordBytes(record);
    OutputError error;
    if (!WriteOwnFile(local, {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())},
                      &error)) {
        RecordNews failed = Unwritable(path, Why::System, error.reason);
        failed.movedTo = news.movedTo;
        return failed;
    }
    return news;
}

} // namespace

RecordKeeper::RecordKeeper(QString path)
    : m_path(std::move(path))
{
}

RecordNews RecordKeeper::Once(RecordNews news)
{
    if (news.Ok())
        return news;
    const std::pair problem(news.status, news.why);
    news.repeated = m_told == problem;
    m_told = problem;
    return news;
}

RecordNews RecordKeeper::Started(const std::vector<std::uint8_t>& slotBytes, SlotNames names)
{
    m_writing = slotBytes;
    m_names = std::move(names);
    m_told.reset();
    return Once(Update(m_path, [&](WheelRecord& record) {
        for (std::uint8_t slot : slotBytes)
            record.Box(BoxOfSlot(slot)).writing = true;
    }));
}

RecordNews RecordKeeper::Ended(const DownloadOutcome& outcome)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    RecordNews news = Once(Update(m_path, [&](WheelRecord& record) {
        for (std::uint8_t slot : m_writing)
            record.Box(BoxOfSlot(slot)).writing = false;
        for (const SlotPicture& picture : outcome.confirmed) {
            const PictureName& name = m_names.Of(picture.slot);
            record.Box(BoxOfSlot(picture.slot)) = {true, false, picture.block, name.name, name.path, now};
        }
        for (std::uint8_t slot : outcome.unfinished)
            record.Box(BoxOfSlot(slot)) = {};
    }));
    m_writing.clear();
    m_told.reset();
    return news;
}

} // namespace wheel
