#pragma once
// OpenCV's image codecs for the few pictures our own decoders leave to them
// (BMP files) and for writing BMP and PNG files. They live in the codec
// module (codecs/CodecModule.h), loaded on first use, so that a program
// that never needs them never pays for loading them. Every function may be
// called from any thread; the first caller loads the module and the others
// wait for it.

#include <opencv2/core.hpp>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace wheel::codecs {

// Loads the module on a thread of its own and returns at once, so that the
// first picture finds it loaded. Later calls do nothing.
void StartLoading();
// Waits until a load begun by StartLoading has ended. A program calls it
// before it returns from main: the libraries the module brings in register
// their clean-up as they load, and the end of the program runs those first,
// under the feet of a load still at work.
void FinishLoading();

// Loads the module if that has not been tried yet and says whether it is there.
bool Available();
// Why it is not (the loader's message); empty while it is.
std::string Problem();

// cv::imread, cv::imdecode and cv::imencode; an empty picture or false when
// they fail or the module is missing, never an exception. 8-bit pictures
// become PNG files without the module (PngEncode.h), in the same bytes.
cv::Mat Read(const std::string& path, int flags);
cv::Mat Decode(std::span<const std::uint8_t> bytes, int flags);
bool Encode(const std::string& ext, const cv::Mat& image, std::vector<std::uint8_t>& out);

} // namespace wheel::codecs
