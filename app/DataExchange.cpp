#include "app/DataExchange.h"

#include <QChar>

#include <limits>

namespace wheel {

namespace {

// Label n at position i of the text-sorted order.
constexpr std::array<int, kSlotCount> kLabelOfIndex = {
    1, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 2, 20, 3, 4, 5, 6, 7, 8, 9,
};

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

int SlotIndexOfLabel(int label)
{
    for (int i = 0; i < kSlotCount; ++i) {
        if (kLabelOfIndex[std::size_t(i)] == label)
            return i;
    }
    return -1;
}

int SlotLabelOfIndex(int index)
{
    if (index < 0 || index >= kSlotCount)
        return -1;
    return kLabelOfIndex[std::size_t(index)];
}

int SlotNumberOfLabel(int label)
{
    if (label < 1 || label > kSlotCount)
        return -1;
    return label == kSlotCount ? 0 : label;
}

std::optional<int> ParseDialogInt(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const qsizetype digitsStart = i;
    long long value = 0;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
        ++i;
    }
    if (i == digitsStart)
        return std::nullopt;
    while (i < n && IsBlank(text[i]))
        ++i;
    if (i != n)
        return std::nullopt;
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

ExchangeResult ReadControls(const ControlState& controls, DialogValues& values)
{
    values.m_strLog = controls.logText;
    for (int i = 0; i < kSlotCount; ++i)
        values.m_slotChecks[std::size_t(i)] = controls.slotTicked[std::size_t(i)] ? 1 : 0;
    values.m_b48Mode = controls.mode48 ? 1 : 0;
    ExchangeResult result = ExchangeResult::Ok;
    if (const std::optional<int> angle = ParseDialogInt(controls.angleText))
        values.m_nAngle = *angle;
    else
        result = ExchangeResult::AngleNotInteger;
    values.m_nDirection = controls.left ? 0 : controls.right ? 1 : -1;
    return result;
}

ControlState WriteControls(const DialogValues& values)
{
    ControlState controls;
    controls.logText = values.m_strLog;
    for (int i = 0; i < kSlotCount; ++i)
        controls.slotTicked[std::size_t(i)] = values.m_slotChecks[std::size_t(i)] != 0;
    controls.mode48 = values.m_b48Mode != 0;
    controls.angleText = QString::number(values.m_nAngle);
    controls.left = values.m_nDirection == 0;
    controls.right = values.m_nDirection == 1;
    return controls;
}

} // namespace wheel
