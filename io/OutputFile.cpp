#include "io/OutputFile.h"

#include "io/FileSteps.h"
#include "io/ReadFile.h"

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

using io::BaseName;
using io::CreateTemporary;
using io::DirName;
using io::PositionedIo;
using io::WriteAll;

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
    // Where the file system cannot swap two files: the old file, kept under
    // a hidden name beside the new one (a second link, or `moved` there).
    std::string aside;
    bool moved = false;
    // InPlace: the bytes to put back if a later output fails.
    bool touched = false;
    bool canRestore = false;
    std::vector<std::uint8_t> oldPrefix;
    off_t oldSize = 0;
};

namespace {

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
            *error = {path, SystemReason(err)};
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
            *error = {failure.output->named, SystemReason(failure.err)};
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

// The renames. An existing file is swapped, so that it can be swapped back;
// where the file system cannot swap, it is kept aside until the commit is
// through.
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
        if (o.existed && !io::KeepAside(o.target, o.aside, o.moved))
            return failure.Set(o, errno);
        if (::rename(o.temp.c_str(), o.target.c_str()) != 0) {
            const int err = errno;
            if (o.moved) {
                ::rename(o.aside.c_str(), o.target.c_str());
                o.aside.clear();  // back, or else the only copy: kept either way
            }
            return failure.Set(o, err);
        }
        o.placed = true;
        o.temp.clear();
    }
    return true;
}

// What is written in place: first what can be put back, then the streams,
// then the files that cannot be read back (write-only, another user's),
// whose old bytes are gone once written. A file that gets shorter is cut
// only once every output has its bytes, so that the old bytes can still go
// back.
bool OutputFiles::WriteInPlace(const std::vector<std::span<const std::uint8_t>>& contents, Failure& failure)
{
    const auto rank = [](const Output& o) {
        if (o.kind == Output::Kind::InPlace)
            return o.canRestore ? 0 : 2;
        return o.kind == Output::Kind::Stream ? 1 : -1;
    };
    for (int pass = 0; pass <= 2; ++pass) {
        for (std::size_t i = 0; i < m_outputs.size(); ++i) {
            Output& o = *m_outputs[i];
            if (rank(o) == pass && !WriteOne(o, contents[i]))
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

// One output written in place or to its stream; false with errno set.
bool OutputFiles::WriteOne(Output& o, std::span<const std::uint8_t> bytes)
{
    if (o.kind == Output::Kind::Stream)
        return WriteToStream(o.fd, bytes);
    struct stat st {};
    if (::fstat(o.fd, &st) != 0)
        return false;
    o.oldSize = st.st_size;
    if (o.canRestore) {
        o.oldPrefix.resize(std::min<std::size_t>(std::size_t(st.st_size), bytes.size()));
        if (!PositionedIo(o.fd, o.oldPrefix.data(), nullptr, o.oldPrefix.size(), 0))
            return false;
    }
    o.touched = true;
    return PositionedIo(o.fd, nullptr, bytes.data(), bytes.size(), 0);
}

// Undone in reverse: replaced files swapped or put back, old bytes put back.
void OutputFiles::RollBack()
{
    for (auto it = m_outputs.rbegin(); it != m_outputs.rend(); ++it) {
        Output& u = **it;
        if (u.kind == Output::Kind::Replace && u.placed) {
            if (u.exchanged) {
                ::renameat2(AT_FDCWD, u.temp.c_str(), AT_FDCWD, u.target.c_str(), RENAME_EXCHANGE);
            } else if (!u.aside.empty()) {
                // Where it cannot go back it stays aside: it is the only copy.
                ::rename(u.aside.c_str(), u.target.c_str());
                u.aside.clear();
            } else if (!u.existed) {
                ::unlink(u.target.c_str());
            }
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
        if (!o.aside.empty())
            ::unlink(o.aside.c_str());
    }
    m_outputs.clear();
}

bool WriteOutputFile(const std::string& path, std::span<const std::uint8_t> bytes, OutputError* error)
{
    OutputFiles files;
    return files.Prepare(path, error) && files.Commit({bytes}, error);
}

bool WriteOwnFile(const std::string& path, std::span<const std::uint8_t> bytes, OutputError* error)
{
    const auto fail = [&](const std::string& reason) {
        if (error)
            *error = {path, reason};
        return false;
    };
    struct stat st {};
    const bool existed = ::lstat(path.c_str(), &st) == 0;
    if (!existed && errno != ENOENT)
        return fail(SystemReason(errno));
    if (existed && !S_ISREG(st.st_mode))
        return fail(ReadFailure{S_ISDIR(st.st_mode) ? ReadError::Folder
                                    : S_ISLNK(st.st_mode) ? ReadError::Link
                                                          : ReadError::NotRegular}
                        .Text());
    std::string temp;
    const int fd = CreateTemporary(path, nullptr, temp);
    if (fd < 0)
        return fail(SystemReason(errno));
    bool ok = (!existed || ::fchmod(fd, st.st_mode & 07777) == 0) && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    // The rename replaces the name itself, whatever may have taken it since.
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return fail(SystemReason(err));
    }
    return true;
}

void RemoveLeftoverTemporaries(const std::string& path)
{
    io::RemoveLeftoverTemporaries(path);
}

} // namespace wheel
