#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace wheel {

// Writes `bytes` to a temporary file beside `path` and renames it over `path`,
// so a reader never sees a half-written file. On failure nothing is left behind
// and `error` (if given) says why.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string* error = nullptr);

} // namespace wheel
