// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "portnumbertext.h"

#include <QString>

#include <algorithm>
#include <limits>

namespace {

bool isIgnored(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The text without the characters that are ignored wherever they stand.
QString withoutBlanks(QStringView text)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (!isIgnored(c))
            kept.append(c);
    }
    return kept;
}

// A decimal number as written: its digits without the point, and the position of the point
// counted from the first digit (so "12.5e1" is digits "125", point after 3).
struct DecimalNumber
{
    bool negative = false;
    QString digits;
    qint64 pointPosition = 0;
};

// Reads the exponent that starts at `at` (just after the E), if one is there.
std::optional<qint64> readExponent(const QString &text, qsizetype at)
{
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        negative = text[at] == u'-';
        ++at;
    }
    if (at >= text.size() || !isDigit(text[at]))
        return std::nullopt;
    // Past a billion the exponent moves every digit out of reach either way; stop counting there.
    constexpr qint64 saturation = 1'000'000'000;
    qint64 value = 0;
    for (; at < text.size() && isDigit(text[at]); ++at)
        value = std::min(saturation, value * 10 + text[at].digitValue());
    return negative ? -value : value;
}

std::optional<DecimalNumber> readDecimalNumber(const QString &text)
{
    DecimalNumber number;
    qsizetype at = 0;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) {
        number.negative = text[at] == u'-';
        ++at;
    }
    for (; at < text.size() && isDigit(text[at]); ++at)
        number.digits.append(text[at]);
    number.pointPosition = number.digits.size();
    if (at < text.size() && text[at] == u'.') {
        for (++at; at < text.size() && isDigit(text[at]); ++at)
            number.digits.append(text[at]);
    }
    if (number.digits.isEmpty())
        return std::nullopt;
    if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
        if (const auto exponent = readExponent(text, at + 1))
            number.pointPosition += *exponent;
    }
    return number;
}

// Rounds the non-negative number given by its digits and point position to a whole number,
// halves to the even neighbour. Returns nothing when the result has more digits than a qint64
// comfortably holds; every such number is out of a port number's range anyway.
std::optional<qint64> roundHalfToEven(const QString &digits, qint64 pointPosition)
{
    // Leading zeros change nothing but the point's place relative to the first digit.
    qsizetype first = 0;
    while (first < digits.size() && digits[first] == u'0')
        ++first;
    if (first == digits.size())
        return 0;
    const QStringView significant = QStringView(digits).mid(first);
    const qint64 point = pointPosition - first;

    // Below 0.1 (the point before a zero digit) the number rounds to 0.
    if (point < 0)
        return 0;
    constexpr qint64 maxWholeDigits = std::numeric_limits<qint64>::digits10 - 1;
    if (point > maxWholeDigits)
        return std::nullopt;

    // The whole part: the significant digits before the point, padded with zeros.
    qint64 whole = 0;
    for (qint64 i = 0; i < point; ++i)
        whole = whole * 10 + (i < significant.size() ? significant[i].digitValue() : 0);
    if (point >= significant.size())
        return whole;

    // The fraction, compared with one half.
    const QStringView fraction = significant.mid(point);
    const int firstFractionDigit = fraction[0].digitValue();
    bool roundUp = firstFractionDigit > 5;
    if (firstFractionDigit == 5) {
        const bool aboveHalf =
            std::any_of(fraction.begin() + 1, fraction.end(), [](QChar c) { return c != u'0'; });
        roundUp = aboveHalf || whole % 2 != 0;
    }
    return roundUp ? whole + 1 : whole;
}

} // namespace

std::optional<qint16> portNumberFromText(QStringView text)
{
    const std::optional<DecimalNumber> number = readDecimalNumber(withoutBlanks(text));
    if (!number)
        return 0;
    const std::optional<qint64> magnitude = roundHalfToEven(number->digits, number->pointPosition);
    if (!magnitude)
        return std::nullopt;
    const qint64 value = number->negative ? -*magnitude : *magnitude;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(value);
}
