#include "io/ReadFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace wheel {

namespace {

bool Refuse(ReadFailure* failure, ReadError error, int code = 0)
{
    if (failure)
        *failure = {error, code, 0};
    return false;
}

ReadError ErrorOfErrno(int code, FollowLinks links)
{
    if (code == ENOENT || code == ENOTDIR)
        return ReadError::Missing;
    if (code == ELOOP && links == FollowLinks::No)
        return ReadError::Link;
    return ReadError::Unreadable;
}

// What kind of file a status describes, as a refusal (None: a regular file).
ReadError ErrorOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return ReadError::None;
    if (S_ISDIR(mode))
        return ReadError::Folder;
    if (S_ISLNK(mode))
        return ReadError::Link;
    return ReadError::NotRegular;
}

} // namespace

std::string SystemReason(int code)
{
    char buffer[256];
    return strerror_r(code, buffer, sizeof buffer);  // the GNU variant returns the text
}

std::string ReadFailure::Text() const
{
    switch (error) {
    case ReadError::None: return {};
    case ReadError::Missing: return "no such file";
    case ReadError::Folder: return "is a folder";
    case ReadError::NotRegular: return "is not a regular file";
    case ReadError::Link: return "is a symbolic link, not a regular file";
    case ReadError::TooLarge: return "is too large (over " + std::to_string(limit) + " bytes)";
    case ReadError::Unreadable: return "cannot be read: " + SystemReason(code);
    }
    return {};
}

RegularFile::~RegularFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_size(other.m_size)
{
}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
    }
    return *this;
}

int RegularFile::Release()
{
    return std::exchange(m_fd, -1);
}

RegularFile RegularFile::Open(const std::string& path, ReadFailure* failure, FollowLinks links)
{
    RegularFile file;
    if (failure)
        *failure = {};
    // What can be seen from outside is refused without opening it: opening
    // a device can do things of its own.
    struct stat st {};
    const int seen = links == FollowLinks::Yes ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (seen != 0) {
        Refuse(failure, ErrorOfErrno(errno, links), errno);
        return file;
    }
    if (const ReadError kind = ErrorOfMode(st.st_mode); kind != ReadError::None) {
        Refuse(failure, kind);
        return file;
    }
    // It may have changed since: the descriptor decides, and a FIFO put in
    // its place does not make the open wait for a writer.
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == FollowLinks::No ? O_NOFOLLOW : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        Refuse(failure, ErrorOfErrno(errno, links), errno);
        return file;
    }
    if (::fstat(fd, &st) != 0) {
        Refuse(failure, ReadError::Unreadable, errno);
        ::close(fd);
        return file;
    }
    if (const ReadError kind = ErrorOfMode(st.st_mode); kind != ReadError::None) {
        Refuse(failure, kind);
        ::close(fd);
        return file;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.m_fd = fd;
    file.m_size = static_cast<std::uint64_t>(st.st_size);
    return file;
}

ReadResult ReadFile(const std::string& path, std::uint64_t maxBytes, FollowLinks links)
{
    ReadResult result;
    const RegularFile file = RegularFile::Open(path, &result.failure, links);
    if (!file.IsOpen())
        return result;
    const auto tooLarge = [&] {
        result.bytes.clear();
        result.failure = {ReadError::TooLarge, 0, maxBytes};
        return result;
    };
    if (file.Size() > maxBytes)
        return tooLarge();
    // The size is a hint: the file may grow or shrink while it is read.
    std::vector<std::uint8_t>& bytes = result.bytes;
    bytes.resize(static_cast<std::size_t>(file.Size()) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(file.Descriptor(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            bytes.clear();
            result.failure = {ReadError::Unreadable, errno, 0};
            return result;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
        if (done > maxBytes)
            return tooLarge();
    }
    bytes.resize(done);
    return result;
}

} // namespace wheel
