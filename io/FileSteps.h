#pragma once
// The small steps the file writers share: names beside a file, hidden
// temporaries, and reads and writes that go on until every byte has moved.
// Inside io/ only.

#include <cstdint>
#include <span>
#include <string>
#include <sys/stat.h>

namespace wheel::io {

std::string DirName(const std::string& path);
std::string BaseName(const std::string& path);

// Writes every byte, retrying after signals; false with errno set.
bool WriteAll(int fd, std::span<const std::uint8_t> bytes);
// Reads (`read`) or writes (`write`) `size` bytes at `at`.
bool PositionedIo(int fd, std::uint8_t* read, const std::uint8_t* write, std::size_t size, off_t at);

// A new hidden file beside `target` (".NAME.xxxxxx"), made exclusively. It
// takes the owner, group and permission bits of `old` when given (0600
// until then), else those of any new file. -1 with errno set on failure.
int CreateTemporary(const std::string& target, const struct stat* old, std::string& name);

// Keeps the file at `target` under a new hidden name beside it (`aside`):
// a second hard link where the file system allows one, else the file itself
// moved there (`moved`). False with errno set when neither works.
bool KeepAside(const std::string& target, std::string& aside, bool& moved);

// Removes the hidden temporaries of `target` that a writer killed half way
// left behind. Only for a file whose writers take turns under a lock: a
// temporary of a write in progress would go too.
void RemoveLeftoverTemporaries(const std::string& target);

} // namespace wheel::io
