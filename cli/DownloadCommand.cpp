// wheelctl download: a picture into the slots named, as "下载-->GO" does, or
// several pictures, each into slots of its own, in one download.

#include "cli/AdjustmentOptions.h"
#include "cli/Command.h"
#include "cli/DeviceSession.h"

#include "picture/PictureFile.h"
#include "picture/WheelPicture.h"
#include "protocol/DownloadList.h"
#include "protocol/SlotTable.h"

#include <QString>

#include <set>
#include <sstream>

namespace wheelctl {
namespace {

// "1,2,20" -> {1, 2, 20}; every entry 1..20; false on anything else.
bool ParseSlots(const std::string& list, std::vector<int>& labels)
{
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        const std::optional<int> label = wheel::ParseWholeNumber(item, wheel::kSlotBoxes);
        if (!label || *label < 1)
            return false;
        labels.push_back(*label);
    }
    return !labels.empty() && list.back() != ',';
}

constexpr const char* kSlotsUsage = "--slots takes box numbers from 1 to 20 separated by commas, e.g. 1,2,20";

struct Picture {
    std::string path;
    std::vector<int> labels;
    wheel::PictureAdjustments adjustments;
};

// One picture with its own --slots and adjustments. `several`: the --slots
// are a must for each picture of several.
std::optional<int> ParsePicture(const PictureArgs& args, bool several, Picture& picture)
{
    std::string adjustmentError;
    if (!ApplyAdjustments(args.options, picture.adjustments, adjustmentError))
        return Fail(adjustmentError, 2);
    picture.path = args.path;
    const auto slotList = args.options.Find("--slots");
    if (several && !slotList)
        return Fail(picture.path + ": each picture of several needs its own --slots", 2);
    if (slotList && !ParseSlots(*slotList, picture.labels))
        return Fail(kSlotsUsage, 2);
    return std::nullopt;
}

// Several pictures, each into its own boxes, as one download.
int RunSeveral(const Context& context, std::uint8_t mode48, const std::optional<std::string>& transcript)
{
    std::vector<Picture> pictures;
    std::set<int> named;
    for (const PictureArgs& args : context.args.pictures) {
        Picture picture;
        if (const auto status = ParsePicture(args, true, picture))
            return *status;
        for (int label : picture.labels)
            if (!named.insert(label).second)
                return Fail("box " + std::to_string(label) + " is named twice: each box takes one picture", 2);
        pictures.push_back(std::move(picture));
    }

    std::vector<wheel::BoxFrame> frames;
    wheel::SlotNames names;
    for (const Picture& p : pictures) {
        wheel::LoadOptions options;
        options.wantOriginal = false;
        options.adjustments = p.adjustments;
        wheel::LoadResult loaded = wheel::LoadPicture(p.path, options);
        if (!loaded)
            return Fail(p.path + ": " + English(wheel::LoadErrorText(loaded.error)));
        wheel::WheelPicture picture;
        picture.SetPicture(std::move(loaded.picture));
        picture.RenderWheel(mode48);
        for (int label : p.labels) {
            frames.push_back({label, picture.Frame()});
            names.bySlot[wheel::SlotNumberForLabel(label)] =
                wheel::PictureName::OfFile(QString::fromLocal8Bit(p.path.c_str()));
        }
    }
    const std::vector<wheel::SlotPicture> list = wheel::PlanPictures(std::move(frames), mode48);

    DeviceSession session(context, transcript, "download");
    session.KeepRecord(std::move(names));
    return session.Run([&](wheel::WheelProtocol& protocol) { return protocol.OnDownloadPictures(list); });
}

int RunDownload(const Context& context)
{
    const OptionValues& o = context.args.options;
    const std::string mode = o.Get("--48", "on");
    if (mode != "on" && mode != "off")
        return Fail("--48 takes on or off", 2);
    const std::uint8_t mode48 = mode == "on" ? 1 : 0;
    const auto transcriptPath = o.Find("--transcript");
    if (context.args.operands.size() > 1)
        return RunSeveral(context, mode48, transcriptPath);
    if (context.args.operands.size() != 1)
        return Fail("download takes one picture file (see wheelctl download --help)", 2);

    Picture one;
    if (const auto status = ParsePicture(context.args.pictures.at(0), false, one))
        return *status;
    wheel::LoadOptions options;
    options.adjustments = one.adjustments;
    options.wantOriginal = false;
    wheel::LoadResult loaded = wheel::LoadPicture(one.path, options);
    if (!loaded)
        return Fail(one.path + ": " + English(wheel::LoadErrorText(loaded.error)));
    wheel::WheelPicture picture;
    picture.SetPicture(std::move(loaded.picture));
    picture.RenderWheel(mode48);

    wheel::ProtocolInputs values;
    values.m_slotChecks = wheel::SlotChecksFromLabels(one.labels);  // none: the editor's own refusal
    values.m_b48Mode = mode48;
    values.m_bPictureLoaded = 1;

    DeviceSession session(context, transcriptPath, "download");
    session.KeepRecord({{}, wheel::PictureName::OfFile(QString::fromLocal8Bit(one.path.c_str()))});
    return session.Run([&](wheel::WheelProtocol& protocol) { return protocol.OnDownload(values, picture.Block()); });
}

OptionTable DownloadOptions()
{
    OptionTable table = {
        {"--slots", "LIST",
         "the slot boxes by their numbers 1 to 20, e.g. 1,2,20;\nbox 20 is slot 0 on the wire; a box takes one picture",
         Value::Text, "", true},
        {"--48", "on|off", "the 48-picture mode (default on, as the editor starts)", Value::Words, "on off"},
        {"--transcript", "FILE",
         "every report out and in, one line each: out|in and\nthe 65 bytes in hex, written when the download\n"
         "ends; - is standard output (the log then goes to\nstandard error)",
         Value::File},
    };
    for (Option& adjustment : AdjustmentOptions(true)) {
        adjustment.help += "\n(for the picture before it, as for convert)";
        table.push_back(std::move(adjustment));
    }
    return table;
}

const Registrar kDownload({
    "download",
    std::string("download PICTURE --slots LIST [ADJUSTMENTS] [PICTURE --slots LIST [ADJUSTMENTS]]...\n"
                "        [--48 on|off] [--transcript FILE]\n"
                "        ADJUSTMENTS: ")
        + kAdjustmentSynopsis,
    "      Downloads a picture into the wheel light's slots, as \"下载-->GO\";\n"
    "      several pictures, each followed by its own --slots, go in one download\n"
    "      (box 1 first, box 20 last).\n",
    DownloadOptions(),
    RunDownload,
    "      Prints the log lines and message boxes the editor would show, and\n"
    "      keeps the record that 'wheelctl slots' prints; exit status 0 only when\n"
    "      the download completed and its transcript, if asked for, was written.\n",
    Value::Picture,
});

} // namespace
} // namespace wheelctl
