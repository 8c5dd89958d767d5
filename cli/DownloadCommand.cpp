// wheelctl download: a picture into the slots named, as "下载-->GO" does.

#include "cli/AdjustmentOptions.h"
#include "cli/Command.h"
#include "cli/DeviceSession.h"

#include "picture/PictureFile.h"
#include "picture/WheelPicture.h"
#include "protocol/SlotTable.h"

#include <sstream>

namespace wheelctl {
namespace {

// "1,2,20" -> {1, 2, 20}; every entry 1..20; false on anything else.
bool ParseSlots(const std::string& list, std::vector<int>& labels)
{
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item.empty() || item.size() > 2 || item.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const int label = std::stoi(item);
        if (label < 1 || label > wheel::kSlotBoxes)
            return false;
        labels.push_back(label);
    }
    return !labels.empty() && list.back() != ',';
}

int RunDownload(const Context& context)
{
    std::vector<std::string> args = context.args;
    std::string slots, mode = "on", transcript;
    bool missing = false;
    const bool haveSlots = TakeOption(args, "--slots", slots, missing);
    TakeOption(args, "--48", mode, missing);
    const bool wantTranscript = TakeOption(args, "--transcript", transcript, missing);
    if (missing)
        return Fail("an option is missing its value (see wheelctl download --help)", 2);
    wheel::LoadOptions options;
    std::string adjustmentError;
    if (!TakeAdjustments(args, options.adjustments, adjustmentError))
        return Fail(adjustmentError, 2);
    if (const auto status = RejectLeftOptions(args, "download"))
        return *status;
    if (mode != "on" && mode != "off")
        return Fail("--48 takes on or off", 2);
    if (args.size() != 1)
        return Fail("download takes one picture file (see wheelctl download --help)", 2);
    std::vector<int> labels;
    if (haveSlots && !ParseSlots(slots, labels))
        return Fail("--slots takes box numbers from 1 to 20 separated by commas, e.g. 1,2,20", 2);

    options.wantOriginal = false;
    wheel::LoadResult loaded = wheel::LoadPicture(args[0], options);
    if (!loaded)
        return Fail(args[0] + ": " + wheel::LoadErrorTextEnglish(loaded.error));
    wheel::WheelPicture picture;
    picture.SetPicture(std::move(loaded.picture));
    const std::uint8_t mode48 = mode == "on" ? 1 : 0;
    picture.RenderWheel(mode48);

    wheel::ProtocolInputs values;
    values.m_slotChecks = wheel::SlotChecksFromLabels(labels);  // none: the editor's own refusal
    values.m_b48Mode = mode48;
    values.m_bPictureLoaded = 1;

    DeviceSession session(context, wantTranscript ? std::optional(transcript) : std::nullopt, "download");
    return session.Run([&](wheel::WheelProtocol& protocol) { return protocol.OnDownload(values, picture.Block()); });
}

const Registrar kDownload({
    "download",
    std::string("download PICTURE --slots LIST [--48 on|off] [--transcript FILE]\n"
                "        ")
        + kAdjustmentSynopsis,
    "      Downloads a picture into the wheel light's slots, as \"下载-->GO\".\n"
    "      --slots LIST       the slot boxes by their numbers 1 to 20, e.g. 1,2,20;\n"
    "                         box 20 is slot 0 on the wire\n"
    "      --48 on|off        the 48-picture mode (default on, as the editor starts)\n"
    "      --transcript FILE  every report out and in, one line each: out|in and\n"
    "                         the 65 bytes in hex, written when the download\n"
    "                         ends; - is standard output (the log then goes to\n"
    "                         standard error)\n"
    "      --rotate, --threshold, --invert, --fit\n"
    "                         adjust the picture first, as for convert\n"
    "      Prints the log lines and message boxes the editor would show; exit\n"
    "      status 0 only when the download completed and its transcript, if\n"
    "      asked for, was written.\n",
    RunDownload,
});

} // namespace
} // namespace wheelctl
