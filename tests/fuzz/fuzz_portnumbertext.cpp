// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// Fuzzes the reading of a stored port setting. For every input it checks that the start-up's
// range step always ends on a port from 1 to 8, that the warning is due exactly when the
// rounded number leaves -32768..32767, and that the result agrees with a second, deliberately
// plain reading below that expands the number's decimal digits as text.

#include "main_window/portnumbertext.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string readDigits(const std::string &text, size_t &at)
{
    std::string digits;
    while (at < text.size() && isDigit(text[at]))
        digits += text[at++];
    return digits;
}

// The same rules, written for clarity rather than speed: returns nothing when out of range.
std::optional<long> plainReading(const std::string &input)
{
    std::string text;
    for (char c : input)
        if (c != ' ' && c != '\t' && c != '\n')
            text += c;

    size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    const std::string wholeDigits = readDigits(text, at);
    std::string fractionDigits;
    if (at < text.size() && text[at] == '.') {
        ++at;
        fractionDigits = readDigits(text, at);
    }
    if (wholeDigits.empty() && fractionDigits.empty())
        return 0;

    long exponent = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t next = at + 1;
        bool negativeExponent = false;
        if (next < text.size() && (text[next] == '+' || text[next] == '-'))
            negativeExponent = text[next++] == '-';
        std::string digits = readDigits(text, next);
        digits.erase(0, digits.find_first_not_of('0'));
        // Inputs are far shorter than a million digits: such an exponent decides alone.
        const long magnitude =
            digits.size() > 6 ? 1000000 : (digits.empty() ? 0 : std::stol(digits));
        exponent = negativeExponent ? -magnitude : magnitude;
    }

    // Place the point among the digits, then drop leading zeros.
    std::string digits = wholeDigits + fractionDigits;
    long point = long(wholeDigits.size()) + exponent;
    while (!digits.empty() && digits[0] == '0') {
        digits.erase(0, 1);
        --point;
    }
    if (digits.empty() || point < 0)
        return 0;
    if (point > 6) // at least a million
        return std::nullopt;
    std::string whole = digits.substr(0, size_t(point));
    while (long(whole.size()) < point)
        whole += '0';
    const std::string fraction = size_t(point) < digits.size() ? digits.substr(size_t(point)) : "";
    long value = whole.empty() ? 0 : std::stol(whole);
    if (!fraction.empty()) {
        const bool pastHalf = fraction.find_first_not_of('0', 1) != std::string::npos;
        if (fraction[0] > '5' || (fraction[0] == '5' && (pastHalf || value % 2 == 1)))
            ++value;
    }
    if (negative)
        value = -value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::optional<qint16> result =
        portNumberFromText(QString::fromLatin1(bytes.data(), qsizetype(bytes.size())));
    const std::optional<long> expected = plainReading(bytes);

    // The start-up's range step.
    int port = result.value_or(0);
    if (port < 1 || port > 8)
        port = 1;
    if (port < 1 || port > 8)
        std::abort();

    const bool warns = !result.has_value();
    if (warns != !expected.has_value())
        std::abort();
    if (result && long(*result) != *expected)
        std::abort();
    return 0;
}
