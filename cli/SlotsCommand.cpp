// wheelctl slots: what the record says the wheel light holds, box by box.

#include "cli/Command.h"

#include "io/LocalPath.h"
#include "record/WheelRecord.h"
#include "sets/RecordAsSet.h"

#include <iostream>

namespace wheelctl {
namespace {

// A name on one line whatever it holds: a backslash, a tab, a newline and the
// other control characters are written as escapes.
std::string OneLine(const std::string& name)
{
    std::string line;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            line += "\\\\";
        else if (c == '\t')
            line += "\\t";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else if (byte < 0x20 || byte == 0x7f) {
            static const char hex[] = "0123456789abcdef";
            line += std::string("\\x") + hex[byte >> 4] + hex[byte & 15];
        } else
            line += c;
    }
    return line;
}

int RunSlots(const Context& context)
{
    const auto setPath = context.args.options.Find("--save-set");
    if (!context.args.operands.empty())
        return Fail("unexpected argument '" + context.args.operands[0] + "' (see wheelctl slots --help)", 2);
    if (setPath && IsStandardOutput(*setPath))
        return Fail("--save-set: a picture set is a file and its pictures beside it, not a stream: name a file", 2);

    const QString recordPath = wheel::RecordFilePath(context.simulate != wheel::Simulation::Off);
    QString problem;
    const wheel::WheelRecord record = wheel::ReadRecord(recordPath, &problem);
    if (!problem.isEmpty())
        Fail(wheel::LocalPath(recordPath) + ": " + problem.toStdString() + "; every slot counts as unknown");

    if (setPath) {
        const QString path = wheel::FromLocalPath(*setPath);
        switch (wheel::SaveRecordAsSet(record, path, &problem)) {
        case wheel::RecordSetResult::Saved:
            Messages() << "wrote the picture set of the slots the record knows to " << *setPath << "\n";
            return 0;
        case wheel::RecordSetResult::NothingKnown:
            return Fail("the record knows no slot of the wheel light: nothing written");
        case wheel::RecordSetResult::Unwritable:
            return Fail(problem.toStdString());
        }
    }
    for (int box = 1; box <= wheel::kSlotBoxes; ++box) {
        const wheel::RecordedSlot& slot = record.Box(box);
        std::cout << box << '\t' << int(wheel::SlotNumberForLabel(box)) << '\t';
        if (slot.Holds())
            std::cout << OneLine(Shown(slot.name.toStdString())) << '\t'
                      << slot.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString() << '\n';
        else
            std::cout << "unknown\n";
    }
    return 0;
}

const Registrar kSlots({
    "slots",
    "slots [--save-set SETFILE]",
    "      Prints what the wheel light holds as far as the record of the\n"
    "      downloads it confirmed knows, one line per slot box: the box, the\n"
    "      slot byte, the picture's file name and the time, or unknown (never\n"
    "      recorded, or a download into it did not finish). --simulate: the\n"
    "      simulated wheel light's record.\n",
    {{"--save-set", "SETFILE",
      "writes the known pictures as a picture set with\na 312 x 312 PNG per box beside it (SETFILE's\n"
      "name, then -01.png ... -20.png) that converts\nback into the same frames",
      Value::SetFile}},
    RunSlots,
});

} // namespace
} // namespace wheelctl
