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
    const OptionValues& o = context.args.options;
    const std::string framePath = o.Get("--frame"), blockPath = o.Get("--block"), previewPath = o.Get("--preview"),
                      ledsPath = o.Get("--preview-leds");
    const bool wantFrame = o.Has("--frame"), wantBlock = o.Has("--block"), wantPreview = o.Has("--preview"),
               wantLeds = o.Has("--preview-leds");
    const std::string mode = o.Get("--48", "on");
    wheel::LoadOptions options;
    std::string adjustmentError;
    if (!ApplyAdjustments(o, options.adjustments, adjustmentError))
        return Fail(adjustmentError, 2);
    if (mode != "on" && mode != "off")
        return Fail("--48 takes on or off", 2);
    if (context.args.operands.size() != 1)
        return Fail("convert takes one picture file (see wheelctl convert --help)", 2);
    const std::string& picturePath = context.args.operands[0];
    const int toStdout = (wantFrame && IsStandardOutput(framePath)) + (wantBlock && IsStandardOutput(blockPath))
        + (wantPreview && IsStandardOutput(previewPath)) + (wantLeds && IsStandardOutput(ledsPath));
    if (toStdout > 1)
        return Fail("only one output can go to standard output (-)", 2);
    if (toStdout == 1)
        TakeStandardOutput();

    options.wantOriginal = false;  // wheelctl shows no colour copy
    wheel::LoadResult loaded = wheel::LoadPicture(picturePath, options);
    if (!loaded)
        return Fail(picturePath + ": " + English(wheel::LoadErrorText(loaded.error)));

    wheel::WheelPicture picture;
    picture.SetPicture(std::move(loaded.picture));
    picture.RenderWheel(mode == "on" ? 1 : 0);

    std::vector<std::uint8_t> previewPng, ledsPng;
    if ((wantPreview && !wheel::codecs::Encode(".png", picture.Preview(), previewPng))
        || (wantLeds && !wheel::codecs::Encode(".png", picture.LedView(), ledsPng)))
        return Fail(wheel::codecs::Available() ? "cannot encode the preview"
                                               : "cannot encode the preview: the picture codecs cannot be loaded");

    if (!wantFrame && !wantBlock && !wantPreview && !wantLeds)
        Messages() << "converted " << picturePath
                   << " (nothing written: give --frame, --block, --preview or --preview-leds)\n";
    const wheel::WheelFrame frame = picture.Frame();
    std::vector<Output> outputs;
    if (wantFrame)
        outputs.push_back({"frame", framePath, frame});
    if (wantBlock)
        outputs.push_back({"block", blockPath, picture.Block()});
    if (wantPreview)
        outputs.push_back({"preview", previewPath, previewPng});
    if (wantLeds)
        outputs.push_back({"preview of the LEDs", ledsPath, ledsPng});
    if (!WriteOutputs(outputs))
        return 1;
    return 0;
}

OptionTable ConvertOptions()
{
    OptionTable table = {
        {"--frame", "FILE", "the 492-byte column image (164 columns x 3 bytes)", Value::File},
        {"--block", "FILE", "the 496-byte transfer block: frame, 48-picture mode,\nthen 0xAA 0xAA 0xAA", Value::File},
        {"--preview", "FILE", "the 312 x 312 round preview as a PNG", Value::File},
        {"--preview-leds", "FILE", "the frame as the wheel's 164 x 24 LEDs, a\n312 x 312 PNG (the editor's Show LEDs)",
         Value::File},
        {"--48", "on|off", "the 48-picture mode byte of the block (default on)", Value::Words, "on off"},
    };
    for (Option& adjustment : AdjustmentOptions())
        table.push_back(std::move(adjustment));
    return table;
}

const Registrar kConvert({
    "convert",
    std::string("convert PICTURE [--frame FILE] [--block FILE] [--preview FILE]\n"
                "        [--preview-leds FILE] [--48 on|off]\n"
                "        ")
        + kAdjustmentSynopsis,
    "      Converts a BMP, JPEG or PNG picture as the editor does; the\n"
    "      adjustments apply in the order listed, and their defaults change nothing.\n",
    ConvertOptions(),
    RunConvert,
    "      FILE may be - for standard output, a device or a FIFO; the outputs\n"
    "      are written all or none.\n",
    Value::Picture,
});

} // namespace
} // namespace wheelctl
