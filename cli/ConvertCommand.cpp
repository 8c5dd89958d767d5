// wheelctl convert: a picture file into the wheel's frame, block and preview.

#include "cli/AdjustmentOptions.h"
#include "cli/Command.h"

#include "io/OutputFile.h"
#include "picture/Codecs.h"
#include "picture/PictureFile.h"
#include "picture/WheelPicture.h"

#include <algorithm>
#include <span>
#include <vector>

namespace wheelctl {
namespace {

struct Output {
    const char* what;
    std::string path;
    std::span<const std::uint8_t> bytes;
};

// All the outputs asked for, or none of them.
bool WriteOutputs(const std::vector<Output>& outputs)
{
    wheel::OutputFiles files;
    wheel::OutputError error;
    std::vector<std::span<const std::uint8_t>> contents;
    for (const Output& o : outputs) {
        if (!files.Prepare(o.path, &error)) {
            Fail(OutputFailure(error, o.what));
            return false;
        }
        contents.push_back(o.bytes);
    }
    if (!files.Commit(contents, &error)) {
        const auto failed =
            std::find_if(outputs.begin(), outputs.end(), [&](const Output& o) { return o.path == error.path; });
        Fail(OutputFailure(error, failed != outputs.end() ? failed->what : "output"));
        return false;
    }
    for (const Output& o : outputs)
        Messages() << "wrote the " << o.what << " to " << OutputName(o.path) << "\n";
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
    if (const auto status = RejectLeftOptions(args, "convert"))
        return *status;
    if (mode != "on" && mode != "off")
        return Fail("--48 takes on or off", 2);
    if (args.size() != 1)
        return Fail("convert takes one picture file (see wheelctl convert --help)", 2);
    const std::string& picturePath = args[0];
    const int toStdout = (wantFrame && IsStandardOutput(framePath)) + (wantBlock && IsStandardOutput(blockPath))
        + (wantPreview && IsStandardOutput(previewPath));
    if (toStdout > 1)
        return Fail("only one output can go to standard output (-)", 2);
    if (toStdout == 1)
        TakeStandardOutput();

    options.wantOriginal = false;  // wheelctl shows no colour copy
    wheel::LoadResult loaded = wheel::LoadPicture(picturePath, options);
    if (!loaded)
        return Fail(picturePath + ": " + wheel::LoadErrorTextEnglish(loaded.error));

    wheel::WheelPicture picture;
    picture.SetPicture(std::move(loaded.picture));
    picture.RenderWheel(mode == "on" ? 1 : 0);

    std::vector<std::uint8_t> previewPng;
    if (wantPreview && !wheel::codecs::Encode(".png", picture.Preview(), previewPng))
        return Fail(wheel::codecs::Available() ? "cannot encode the preview"
                                               : "cannot encode the preview: the picture codecs cannot be loaded");

    if (!wantFrame && !wantBlock && !wantPreview)
        Messages() << "converted " << picturePath << " (nothing written: give --frame, --block or --preview)\n";
    const wheel::WheelFrame frame = picture.Frame();
    std::vector<Output> outputs;
    if (wantFrame)
        outputs.push_back({"frame", framePath, frame});
    if (wantBlock)
        outputs.push_back({"block", blockPath, picture.Block()});
    if (wantPreview)
        outputs.push_back({"preview", previewPath, previewPng});
    if (!WriteOutputs(outputs))
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
    "                              take its centred square\n"
    "      FILE may be - for standard output, a device or a FIFO; the outputs\n"
    "      are written all or none.\n",
    RunConvert,
});

} // namespace
} // namespace wheelctl
