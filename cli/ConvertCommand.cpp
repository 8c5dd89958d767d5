// wheelctl convert: a picture file into the wheel's frame, block and preview.

#include "cli/AdjustmentOptions.h"
#include "cli/Command.h"

#include "picture/AtomicFile.h"
#include "picture/PictureFile.h"
#include "picture/WheelPicture.h"

#include <opencv2/imgcodecs.hpp>

#include <iostream>

namespace wheelctl {
namespace {

bool Write(const std::string& path, std::span<const std::uint8_t> bytes, const char* what)
{
    std::string error;
    if (!wheel::WriteFileAtomically(path, bytes, &error)) {
        Fail(path + ": cannot write the " + what + ": " + error);
        return false;
    }
    std::cout << "wrote the " << what << " to " << path << "\n";
    return true;
}

int RunConvert(const Context& context)
{
    std::vector<std::string> args = context.args;
    std::string framePath, blockPath, previewPath, mode = "on";
    bool missing = false;
    const bool wantFrame = TakeOption(args, "--frame", framePath, missing);
    const bool wantBlock = TakeOption(args, "--block", blockPath, missing);
    const bool wantPreview = TakeOption(args, "--preview", previewPath, missing);
    TakeOption(args, "--48", mode, missing);
    if (missing)
        return Fail("an option is missing its value (see wheelctl convert --help)", 2);
    wheel::LoadOptions options;
    std::string adjustmentError;
    if (!TakeAdjustments(args, options.adjustments, adjustmentError))
        return Fail(adjustmentError, 2);
    if (mode != "on" && mode != "off")
        return Fail("--48 takes on or off", 2);
    if (args.size() != 1 || args[0].starts_with("--"))
        return Fail("convert takes one picture file (see wheelctl convert --help)", 2);
    const std::string& picturePath = args[0];

    options.wantOriginal = false;  // wheelctl shows no colour copy
    wheel::LoadResult loaded = wheel::LoadPicture(picturePath, options);
    if (!loaded)
        return Fail(picturePath + ": " + wheel::LoadErrorTextEnglish(loaded.error));

    wheel::WheelPicture picture;
    picture.SetPicture(std::move(loaded.picture));
    picture.RenderWheel(mode == "on" ? 1 : 0);

    std::vector<std::uint8_t> previewPng;
    if (wantPreview && !cv::imencode(".png", picture.Preview(), previewPng))
        return Fail("cannot encode the preview");

    if (!wantFrame && !wantBlock && !wantPreview)
        std::cout << "converted " << picturePath << " (nothing written: give --frame, --block or --preview)\n";
    const wheel::WheelFrame frame = picture.Frame();
    if (wantFrame && !Write(framePath, frame, "frame"))
        return 1;
    if (wantBlock && !Write(blockPath, picture.Block(), "block"))
        return 1;
    if (wantPreview && !Write(previewPath, previewPng, "preview"))
        return 1;
    return 0;
}

const Registrar kConvert({
    "convert",
    std::string("convert PICTURE [--frame FILE] [--block FILE] [--preview FILE] [--48 on|off]\n"
                "        ")
        + kAdjustmentSynopsis,
    "      Converts a BMP, JPEG or PNG picture as the editor does.\n"
    "      --frame FILE    the 492-byte column image (164 columns x 3 bytes)\n"
    "      --block FILE    the 496-byte transfer block: frame, 48-picture mode,\n"
    "                      then 0xAA 0xAA 0xAA\n"
    "      --preview FILE  the 312 x 312 round preview as a PNG\n"
    "      --48 on|off     the 48-picture mode byte of the block (default on)\n"
    "      Adjustments, applied in this order (the defaults change nothing):\n"
    "      --rotate 0|90|180|270   turn the picture clockwise (default 0)\n"
    "      --threshold auto|N      grey values up to N (0 to 254) become dark;\n"
    "                              auto, the default, is Otsu's threshold\n"
    "      --invert                light the LEDs where the picture is light\n"
    "                              instead of where it is dark\n"
    "      --fit stretch|fit|crop  make the picture square: stretch it (default),\n"
    "                              pad its shorter side with unlit margins, or\n"
    "                              take its centred square\n",
    RunConvert,
});

} // namespace
} // namespace wheelctl
