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
        if (item.empty() || item.size() > 2 || item.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const int label = std::stoi(item);
        if (label < 1 || label > wheel::kSlotBoxes)
            return false;
        labels.push_back(label);
    }
    return !labels.empty() && list.back() != ',';
}

constexpr const char* kSlotsUsage = "--slots takes box numbers from 1 to 20 separated by commas, e.g. 1,2,20";

// The options that take the word after them as their value.
bool TakesValue(const std::string& word)
{
    return word == "--slots" || word == "--rotate" || word == "--fit" || word == "--threshold";
}

// The picture operands with the options that follow each (those before the
// first picture go with it).
std::vector<std::vector<std::string>> SplitByPicture(const std::vector<std::string>& args)
{
    std::vector<std::vector<std::string>> groups(1);
    bool operand = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const bool option = word.size() > 1 && word[0] == '-';
        if (!option && operand)
            groups.emplace_back();
        operand = operand || !option;
        groups.back().push_back(word);
        if (option && TakesValue(word) && i + 1 < args.size())
            groups.back().push_back(args[++i]);
    }
    return groups;
}

int Pictures(const std::vector<std::string>& args)
{
    int n = 0;
    for (const auto& group : SplitByPicture(args))
        for (const std::string& word : group)
            n += !(word.size() > 1 && word[0] == '-');
    return n;
}

struct Picture {
    std::string path;
    std::vector<int> labels;
    wheel::PictureAdjustments adjustments;
};

// One picture of several with its own --slots and adjustments.
std::optional<int> ParsePicture(std::vector<std::string> group, Picture& picture)
{
    std::string slotList;
    bool missing = false;
    const bool haveSlots = TakeOption(group, "--slots", slotList, missing);
    if (missing)
        return Fail("--slots is missing its list (see wheelctl download --help)", 2);
    std::string adjustmentError;
    if (!TakeAdjustments(group, picture.adjustments, adjustmentError))
        return Fail(adjustmentError, 2);
    if (const auto status = RejectLeftOptions(group, "download"))
        return *status;
    picture.path = group.at(0);
    if (!haveSlots)
        return Fail(picture.path + ": each picture of several needs its own --slots", 2);
    if (!ParseSlots(slotList, picture.labels))
        return Fail(kSlotsUsage, 2);
    return std::nullopt;
}

// Several pictures, each into its own boxes, as one download.
int RunSeveral(const Context& context, const std::vector<std::string>& args, std::uint8_t mode48,
               const std::optional<std::string>& transcript)
{
    std::vector<Picture> pictures;
    std::set<int> named;
    for (const auto& group : SplitByPicture(args)) {
        Picture picture;
        if (const auto status = ParsePicture(group, picture))
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
            return Fail(p.path + ": " + wheel::LoadErrorTextEnglish(loaded.error));
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
    std::vector<std::string> args = context.args;
    std::string mode = "on", transcript;
    bool missing = false;
    TakeOption(args, "--48", mode, missing);
    const bool wantTranscript = TakeOption(args, "--transcript", transcript, missing);
    if (missing)
        return Fail("an option is missing its value (see wheelctl download --help)", 2);
    if (mode != "on" && mode != "off")
        return Fail("--48 takes on or off", 2);
    const std::uint8_t mode48 = mode == "on" ? 1 : 0;
    const auto transcriptPath = wantTranscript ? std::optional(transcript) : std::nullopt;
    if (Pictures(args) > 1)
        return RunSeveral(context, args, mode48, transcriptPath);

    std::string slotList;
    const bool haveSlots = TakeOption(args, "--slots", slotList, missing);
    if (missing)
        return Fail("an option is missing its value (see wheelctl download --help)", 2);
    wheel::LoadOptions options;
    std::string adjustmentError;
    if (!TakeAdjustments(args, options.adjustments, adjustmentError))
        return Fail(adjustmentError, 2);
    if (const auto status = RejectLeftOptions(args, "download"))
        return *status;
    if (args.size() != 1)
        return Fail("download takes one picture file (see wheelctl download --help)", 2);
    std::vector<int> labels;
    if (haveSlots && !ParseSlots(slotList, labels))
        return Fail(kSlotsUsage, 2);

    options.wantOriginal = false;
    wheel::LoadResult loaded = wheel::LoadPicture(args[0], options);
    if (!loaded)
        return Fail(args[0] + ": " + wheel::LoadErrorTextEnglish(loaded.error));
    wheel::WheelPicture picture;
    picture.SetPicture(std::move(loaded.picture));
    picture.RenderWheel(mode48);

    wheel::ProtocolInputs values;
    values.m_slotChecks = wheel::SlotChecksFromLabels(labels);  // none: the editor's own refusal
    values.m_b48Mode = mode48;
    values.m_bPictureLoaded = 1;

    DeviceSession session(context, transcriptPath, "download");
    session.KeepRecord({{}, wheel::PictureName::OfFile(QString::fromLocal8Bit(args[0].c_str()))});
    return session.Run([&](wheel::WheelProtocol& protocol) { return protocol.OnDownload(values, picture.Block()); });
}

const Registrar kDownload({
    "download",
    std::string("download PICTURE --slots LIST [ADJUSTMENTS] [PICTURE --slots LIST [ADJUSTMENTS]]...\n"
                "        [--48 on|off] [--transcript FILE]\n"
                "        ADJUSTMENTS: ")
        + kAdjustmentSynopsis,
    "      Downloads a picture into the wheel light's slots, as \"下载-->GO\";\n"
    "      several pictures, each followed by its own --slots, go in one download\n"
    "      (box 1 first, box 20 last).\n"
    "      --slots LIST       the slot boxes by their numbers 1 to 20, e.g. 1,2,20;\n"
    "                         box 20 is slot 0 on the wire; a box takes one picture\n"
    "      --48 on|off        the 48-picture mode (default on, as the editor starts)\n"
    "      --transcript FILE  every report out and in, one line each: out|in and\n"
    "                         the 65 bytes in hex, written when the download\n"
    "                         ends; - is standard output (the log then goes to\n"
    "                         standard error)\n"
    "      --rotate, --threshold, --invert, --fit\n"
    "                         adjust the picture before them, as for convert\n"
    "      Prints the log lines and message boxes the editor would show, and\n"
    "      keeps the record that 'wheelctl slots' prints; exit status 0 only when\n"
    "      the download completed and its transcript, if asked for, was written.\n",
    RunDownload,
});

} // namespace
} // namespace wheelctl
