#include "protocol/AngleText.h"

#include <climits>

namespace wheel {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::optional<int> ExchangeInteger(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::size_t digitsStart = i;
    long long value = 0;
    while (i < text.size() && IsDigit(text[i])) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
        ++i;
    }
    if (i == digitsStart)
        return std::nullopt;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return std::nullopt;
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

int AngleFromFieldText(const std::string& text)
{
    const std::string head = text.substr(0, 9);
    std::size_t i = 0;
    while (i < head.size() && IsBlank(head[i]))
        ++i;
    bool negative = false;
    if (i < head.size() && (head[i] == '+' || head[i] == '-'))
        negative = head[i++] == '-';
    int value = 0;
    while (i < head.size() && IsDigit(head[i]))
        value = value * 10 + (head[i++] - '0');
    return negative ? -value : value;
}

int AngleSteps(int degrees)
{
    return static_cast<int>(degrees * 0.6);
}

} // namespace wheel
