// The picture set reader on arbitrary bytes: a refusal must be clean, and a
// set it accepts must be written and read back with the same boxes and
// adjustments.
#include "sets/SetFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = QStringLiteral("/fuzz/set.wheelset");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<wheel::PictureSet> set = wheel::ParseSetFile(bytes, path);
    if (!set)
        return 0;
    const std::optional<wheel::PictureSet> again = wheel::ParseSetFile(wheel::SetFileBytes(*set, path), path);
    if (!again || again->mode48 != set->mode48)
        std::abort();
    for (int box = 1; box <= wheel::kSlotBoxes; ++box) {
        const auto& a = set->Cell(box);
        const auto& b = again->Cell(box);
        if (a.has_value() != b.has_value() || (a && a->adjustments != b->adjustments))
            std::abort();
    }
    return 0;
}
