#pragma once
// Reading the files the program is given or keeps. A file is opened without
// blocking, so that a FIFO or a device named by mistake never holds the
// program up, and checked to be a regular file before a byte of it is read.
// Failures are values with a typed reason, the system's own words where it
// gave any.

#include <cstdint>
#include <string>
#include <vector>

namespace wheel {

enum class ReadError {
    None,
    Missing,     // no such file (or a folder on the way is missing)
    Folder,      // a folder
    NotRegular,  // a FIFO, device or socket
    Link,        // a symbolic link where links are not followed
    TooLarge,    // more bytes than the reader takes
    Unreadable,  // the system refused it (permission, I/O error): see code
};

struct ReadFailure {
    ReadError error = ReadError::None;
    int code = 0;              // errno, for Unreadable
    std::uint64_t limit = 0;   // the reader's limit, for TooLarge

    explicit operator bool() const { return error != ReadError::None; }
    // What went wrong, in English, to follow the file's name: "is a folder",
    // "is not a regular file", "cannot be read: Permission denied" ...
    std::string Text() const;
};

enum class FollowLinks { Yes, No };

// A regular file open for reading; the descriptor closes with it.
class RegularFile {
public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // Opens `path` when it is a regular file; anything else is refused
    // without opening it where that can be seen beforehand, and never waits
    // (a FIFO that turns up meanwhile is opened without blocking, then
    // refused). With FollowLinks::No a symbolic link is refused as such.
    static RegularFile Open(const std::string& path, ReadFailure* failure = nullptr,
                            FollowLinks links = FollowLinks::Yes);

    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }
    std::uint64_t Size() const { return m_size; }  // when it was opened
    // Hands the descriptor over (to fdopen, say); this object no longer closes it.
    int Release();

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

struct ReadResult {
    std::vector<std::uint8_t> bytes;
    ReadFailure failure;
    explicit operator bool() const { return !failure; }
};

// The whole of a regular file of at most `maxBytes` bytes. A larger one is
// refused before it is read, so the refusal costs the same for any size.
ReadResult ReadFile(const std::string& path, std::uint64_t maxBytes, FollowLinks links = FollowLinks::Yes);

// The system's words for an errno value ("Permission denied").
std::string SystemReason(int code);

} // namespace wheel
