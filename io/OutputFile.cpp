#include "io/OutputFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace wheel {

struct OutputFiles::Output {
    enum class Kind { Replace, InPlace, Stream };
    std::string named;
    std::string target;  // `named` with its symlinks followed
    Kind kind = Kind::Replace;
    int fd = -1;
    bool ownFd = true;
    // Replace: the temporary; once swapped with an existing file it holds
    // the old one until the commit is through.
    std::string temp;
    bool existed = false;
    bool placed = false;
    bool exchanged = false;
    // InPlace: the bytes to put back if a later output fails.
    bool touched = false;
    bool canRestore = false;
    std::vector<std::uint8_t> oldPrefix;
    off_t oldSize = 0;
};

namespace {

std::string Reason(int err)
{
    char buffer[256];
    return strerror_r(err, buffer, sizeof buffer);  // the GNU variant returns the text
}

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

// Follows symlinks to the file they end at, which need not exist yet.
bool ResolveLinks(const std::string& path, std::string& target, int& err)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            err = errno;
            target = current;
            return err == ENOENT;
        }
        if (!S_ISLNK(st.st_mode)) {
            target = current;
            return true;
        }
        std::vector<char> link(std::size_t(std::max<off_t>(st.st_size, 255)) + 1);
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n < 0) {
            err = errno;
            return false;
        }
        const std::string to(link.data(), std::size_t(n));
        current = to.starts_with('/') ? to : DirName(current) + "/" + to;
    }
    err = ELOOP;
    return false;
}

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

// A reader that went away makes the write fail with EPIPE instead of
// killing the process (wheelctl or the window) with SIGPIPE.
bool WriteToStream(int fd, std::span<const std::uint8_t> bytes)
{
    sigset_t pipe, previous, pending;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe, &previous);
    const bool ok = WriteAll(fd, bytes);
    const int err = errno;
    if (!ok && err == EPIPE && !alreadyPending) {
        const timespec now{};
        sigtimedwait(&pipe, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = err;
    return ok;
}

int ConnectSocket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    for (int type : {SOCK_STREAM, SOCK_DGRAM}) {
        const int fd = ::socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return -1;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return fd;
        const int err = errno;
        ::close(fd);
        errno = err;
        if (err != EPROTOTYPE)
            return -1;
    }
    return -1;
}

// A new file beside `target`. It takes the owner, group and permission bits
// of `old` when given (0600 until then), else those of any new file.
int CreateTemporary(const std::string& target, const struct stat* old, std::string& name)
{
    const std::string stem = DirName(target) + "/." + BaseName(target) + ".";
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned seed = unsigned(::getpid()) * 2654435761u ^ unsigned(std::time(nullptr)) ^ unsigned(std::uintptr_t(&name));
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem;
        for (int i = 0; i < 6; ++i) {
            seed = seed * 1103515245u + 12345u;
            name += kLetters[(seed >> 16) % (sizeof kLetters - 1)];
        }
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, old ? 0600 : 0666);
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

} // namespace

OutputFiles::OutputFiles() = default;

OutputFiles::~OutputFiles()
{
    Discard();
}

bool OutputFiles::Prepare(const std::string& path, OutputError* error)
{
    auto out = std::make_unique<Output>();
    out->named = path;
    auto fail = [&](int err) {
        if (error)
            *error = {path, Reason(err)};
        return false;
    };
    if (path.empty())
        return fail(ENOENT);
    if (path == "-") {
        out->kind = Output::Kind::Stream;
        out->fd = STDOUT_FILENO;
        out->ownFd = false;
        m_outputs.push_back(std::move(out));
        return true;
    }
    // The kernel follows the links to a device, FIFO or socket (/dev/stdout
    // included, whose link names no file); a file to be replaced needs its
    // real place, beside which the temporary goes.
    struct stat st {};
    out->existed = ::stat(path.c_str(), &st) == 0;
    if (!out->existed && errno != ENOENT)
        return fail(errno);
    if (out->existed && S_ISDIR(st.st_mode))
        return fail(EISDIR);
    if (out->existed && !S_ISREG(st.st_mode)) {
        out->kind = Output::Kind::Stream;
        out->fd = S_ISSOCK(st.st_mode) ? ConnectSocket(path) : ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (out->fd < 0)
            return fail(errno);
    } else {
        if (int err = 0; !ResolveLinks(path, out->target, err))
            return fail(err);
        bool inPlace = out->existed && st.st_nlink > 1;
        if (!inPlace) {
            out->fd = CreateTemporary(out->target, out->existed ? &st : nullptr, out->temp);
            if (out->fd < 0) {
                if (!out->existed)
                    return fail(errno);
                out->temp.clear();
                inPlace = true;  // no new files in the directory, or another user's file
            }
        }
        if (inPlace) {
            out->kind = Output::Kind::InPlace;
            out->fd = ::open(out->target.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            out->canRestore = out->fd >= 0;
            if (out->fd < 0)
                out->fd = ::open(out->target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (out->fd < 0)
                return fail(errno);
        }
    }
    m_outputs.push_back(std::move(out));
    return true;
}

bool OutputFiles::Commit(const std::vector<std::span<const std::uint8_t>>& contents, OutputError* error)
{
    if (m_outputs.empty())
        return true;
    Failure failure;
    const bool ok = contents.size() == m_outputs.size()
        ? FillTemporaries(contents, failure) && Place(failure) && WriteInPlace(contents, failure)
        : failure.Set(*m_outputs.front(), EINVAL);
    if (!ok) {
        if (error)
            *error = {failure.output->named, Reason(failure.err)};
        RollBack();
    }
    Discard();  // the temporaries left (old files swapped out) go, the descriptors close
    return ok;
}

// Every temporary filled and on disk before anything is replaced.
bool OutputFiles::FillTemporaries(const std::vector<std::span<const std::uint8_t>>& contents, Failure& failure)
{
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        Output& o = *m_outputs[i];
        if (o.kind != Output::Kind::Replace)
            continue;
        const bool ok = WriteAll(o.fd, contents[i]) && ::fsync(o.fd) == 0;
        const int err = errno;
        const bool closed = ::close(o.fd) == 0;
        o.fd = -1;
        if (!ok || !closed)
            return failure.Set(o, ok ? errno : err);
    }
    return true;
}

// The renames; an existing file is swapped, so that it can be swapped back.
bool OutputFiles::Place(Failure& failure)
{
    for (auto& p : m_outputs) {
        Output& o = *p;
        if (o.kind != Output::Kind::Replace)
            continue;
        if (o.existed && ::renameat2(AT_FDCWD, o.temp.c_str(), AT_FDCWD, o.target.c_str(), RENAME_EXCHANGE) == 0) {
            o.placed = o.exchanged = true;
            continue;
        }
        if (o.existed && errno == ENOENT)
            o.existed = false;  // gone since it was prepared
        else if (o.existed && errno != EINVAL && errno != ENOSYS)
            return failure.Set(o, errno);
        if (::rename(o.temp.c_str(), o.target.c_str()) != 0)  // new, or a file system that cannot swap
            return failure.Set(o, errno);
        o.placed = true;
        o.temp.clear();
    }
    return true;
}

// What is written in place. A file that gets shorter is cut only once every
// output has its bytes, so that the old bytes can still go back.
bool OutputFiles::WriteInPlace(const std::vector<std::span<const std::uint8_t>>& contents, Failure& failure)
{
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        Output& o = *m_outputs[i];
        const auto bytes = contents[i];
        if (o.kind == Output::Kind::Stream) {
            if (!WriteToStream(o.fd, bytes))
                return failure.Set(o, errno);
        } else if (o.kind == Output::Kind::InPlace) {
            struct stat st {};
            if (::fstat(o.fd, &st) != 0)
                return failure.Set(o, errno);
            o.oldSize = st.st_size;
            if (o.canRestore) {
                o.oldPrefix.resize(std::min<std::size_t>(std::size_t(st.st_size), bytes.size()));
                if (!PositionedIo(o.fd, o.oldPrefix.data(), nullptr, o.oldPrefix.size(), 0))
                    return failure.Set(o, errno);
            }
            o.touched = true;
            if (!PositionedIo(o.fd, nullptr, bytes.data(), bytes.size(), 0))
                return failure.Set(o, errno);
        }
    }
    for (std::size_t i = 0; i < m_outputs.size(); ++i) {
        Output& o = *m_outputs[i];
        if (o.kind != Output::Kind::InPlace)
            continue;
        if ((off_t(contents[i].size()) < o.oldSize && ::ftruncate(o.fd, off_t(contents[i].size())) != 0)
            || ::fsync(o.fd) != 0)
            return failure.Set(o, errno);
    }
    return true;
}

// Undone in reverse: replaced files swapped back, old bytes put back.
void OutputFiles::RollBack()
{
    for (auto it = m_outputs.rbegin(); it != m_outputs.rend(); ++it) {
        Output& u = **it;
        if (u.kind == Output::Kind::Replace && u.placed) {
            if (u.exchanged)
                ::renameat2(AT_FDCWD, u.temp.c_str(), AT_FDCWD, u.target.c_str(), RENAME_EXCHANGE);
            else if (!u.existed)
                ::unlink(u.target.c_str());
        }
        if (u.kind == Output::Kind::InPlace && u.touched && u.canRestore) {
            PositionedIo(u.fd, nullptr, u.oldPrefix.data(), u.oldPrefix.size(), 0);
            if (::ftruncate(u.fd, u.oldSize) == 0)
                ::fsync(u.fd);
        }
    }
}

void OutputFiles::Discard()
{
    for (auto& p : m_outputs) {
        Output& o = *p;
        if (o.fd >= 0 && o.ownFd)
            ::close(o.fd);
        if (!o.temp.empty())
            ::unlink(o.temp.c_str());
    }
    m_outputs.clear();
}

bool WriteOutputFile(const std::string& path, std::span<const std::uint8_t> bytes, OutputError* error)
{
    OutputFiles files;
    return files.Prepare(path, error) && files.Commit({bytes}, error);
}

} // namespace wheel
