#include "io/FileSteps.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace wheel::io {

namespace {

constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kTemporaryLetters = 6;

std::string TemporaryStem(const std::string& target)
{
    return DirName(target) + "/." + BaseName(target) + ".";
}

// Names that differ between processes, calls and attempts.
class TemporaryNames {
public:
    explicit TemporaryNames(const std::string& target)
        : m_stem(TemporaryStem(target))
    {
        static std::atomic<unsigned> calls{0};
        m_seed = unsigned(::getpid()) * 2654435761u ^ unsigned(std::time(nullptr)) ^ (++calls * 40503u);
    }
    std::string Next()
    {
        std::string name = m_stem;
        for (std::size_t i = 0; i < kTemporaryLetters; ++i) {
            m_seed = m_seed * 1103515245u + 12345u;
            name += kLetters[(m_seed >> 16) % (sizeof kLetters - 1)];
        }
        return name;
    }

private:
    std::string m_stem;
    unsigned m_seed;
};

constexpr int kAttempts = 100;

// Runs a read or write call until `size` bytes have moved, retrying after
// signals; a call that moves nothing counts as an I/O error.
template <class Io>
bool MoveAll(std::size_t size, Io io)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = io(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

} // namespace

std::string DirName(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes)
{
    return MoveAll(bytes.size(),
                   [&](std::size_t done) { return ::write(fd, bytes.data() + done, bytes.size() - done); });
}

bool PositionedIo(int fd, std::uint8_t* read, const std::uint8_t* write, std::size_t size, off_t at)
{
    return MoveAll(size, [&](std::size_t done) {
        return read ? ::pread(fd, read + done, size - done, at + off_t(done))
                    : ::pwrite(fd, write + done, size - done, at + off_t(done));
    });
}

int CreateTemporary(const std::string& target, const struct stat* old, std::string& name)
{
    TemporaryNames names(target);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        name = names.Next();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, old ? 0600 : 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0 || !old)
            return fd;
        struct stat mine {};
        const bool sameOwner = ::fstat(fd, &mine) == 0 && mine.st_uid == old->st_uid && mine.st_gid == old->st_gid;
        const bool kept = (sameOwner || ::fchown(fd, old->st_uid, old->st_gid) == 0)
            && ::fchmod(fd, old->st_mode & 07777) == 0;
        if (kept)
            return fd;
        const int err = errno;
        ::close(fd);
        ::unlink(name.c_str());
        errno = err;
        return -1;
    }
    errno = EEXIST;
    return -1;
}

bool KeepAside(const std::string& target, std::string& aside, bool& moved)
{
    moved = false;
    TemporaryNames names(target);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        aside = names.Next();
        if (::link(target.c_str(), aside.c_str()) == 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    // No hard links here: the file itself goes aside, onto a name made ours
    // first, so that nothing of anyone else's is replaced.
    const int fd = CreateTemporary(target, nullptr, aside);
    if (fd < 0)
        return false;
    ::close(fd);
    if (::rename(target.c_str(), aside.c_str()) != 0) {
        const int err = errno;
        ::unlink(aside.c_str());
        aside.clear();
        errno = err;
        return false;
    }
    moved = true;
    return true;
}

void RemoveLeftoverTemporaries(const std::string& target)
{
    const std::string folder = DirName(target);
    const std::string prefix = "." + BaseName(target) + ".";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + kTemporaryLetters || !name.starts_with(prefix)
            || name.find_first_not_of(kLetters, prefix.size()) != std::string::npos)
            continue;
        struct stat st {};
        const std::string path = folder + "/" + name;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.c_str());
    }
    ::closedir(dir);
}

} // namespace wheel::io
