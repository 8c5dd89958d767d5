#pragma once
// What a picture file's headers say, before anything is decoded: its format
// and size, or why it is refused.

#include <cstdint>
#include <string>

namespace wheel {

enum class LoadError {
    None,
    Missing,       // no such file
    Unreadable,    // exists but cannot be read (permissions, a directory, ...)
    Empty,         // zero bytes
    NotAPicture,   // not a BMP, JPEG or PNG
    Truncated,     // the file ends before its picture data does
    TooLarge,      // more pixels than a desktop should allocate
    DecodeFailed,  // the decoder gave up on it
    NoCodecs,      // the codec module that reads this format cannot be loaded
};

// More than this many pixels is refused before decoding.
inline constexpr std::int64_t kMaxPicturePixels = 100'000'000;

enum class PictureFormat { Unknown, Bmp, Jpeg, Png };

struct PictureHeader {
    PictureFormat format = PictureFormat::Unknown;
    int width = 0;
    int height = 0;
};

// Reads the format and dimensions from the file's headers (a JPEG's frame
// header wherever it stands) and checks what they promise against the file's
// size; nothing is decoded. Whether the picture data is all there is the
// decoder's verdict, given by LoadPicture.
LoadError ProbePicture(const std::string& path, PictureHeader& header);

} // namespace wheel
