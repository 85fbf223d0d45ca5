#include "core/radio/HtmlDecode.h"

#include "core/radio/HtmlEntityTable.h"

#include <QtGlobal>
#include <optional>

namespace kelvane {

namespace {

constexpr qsizetype shortestReference = 4; // "&lt;"
// Bounds the digits too: at most 7 decimal or 6 hexadecimal digits.
constexpr qsizetype longestReference = 10;

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

qsizetype skipBlanks(QStringView digits) {
    qsizetype i = 0;
    while (i < digits.size() && digits[i].isSpace())
        ++i;
    return i;
}

// A standard unsigned hexadecimal scan (leading blanks skipped, "0x" accepted); the
// value only when the scan reads every code unit. Six digits at most, so no overflow.
std::optional<quint32> scanWholeHex(QStringView digits) {
    qsizetype i = skipBlanks(digits);
    if (i + 2 < digits.size() && digits[i] == u'0' &&
        (digits[i + 1] == u'x' || digits[i + 1] == u'X') && hexValue(digits[i + 2]) >= 0)
        i += 2;
    const qsizetype first = i;
    quint32 value = 0;
    for (; i < digits.size() && hexValue(digits[i]) >= 0; ++i)
        value = value * 16 + quint32(hexValue(digits[i]));
    if (i == first || i != digits.size()) return std::nullopt;
    return value;
}

// A standard signed decimal scan (leading blanks skipped, one sign accepted); the
// value only when the scan reads every code unit. Seven digits at most.
std::optional<qint64> scanWholeDecimal(QStringView digits) {
    qsizetype i = skipBlanks(digits);
    bool negative = false;
    if (i < digits.size() && (digits[i] == u'+' || digits[i] == u'-')) {
        negative = digits[i] == u'-';
        ++i;
    }
    const qsizetype first = i;
    qint64 value = 0;
    for (; i < digits.size() && digits[i] >= u'0' && digits[i] <= u'9'; ++i)
        value = value * 10 + (digits[i].unicode() - '0');
    if (i == first || i != digits.size()) return std::nullopt;
    return negative ? -value : value;
}

// A code point in UTF-16, when it may stand in the text.
std::optional<QString> textOf(quint32 codePoint) {
    if (codePoint >= 1 && codePoint <= 0xFFFE) return QString(QChar(char16_t(codePoint)));
    if (codePoint >= 0x10000 && codePoint <= 0x10FFFF) {
        const QChar pair[2] = {QChar(char16_t((codePoint >> 10) + 0xD7C0)),
                               QChar(char16_t((codePoint & 0x3FF) | 0xDC00))};
        return QString(pair, 2);
    }
    return std::nullopt;
}

// The value of a numeric reference ("&#...;", whole), hexadecimal when char2 says so.
std::optional<quint32> numericValue(QChar char2, QStringView reference) {
    const qsizetype length = reference.size();
    if (char2 == u'x' || char2 == u'X') {
        const std::optional<quint32> value = scanWholeHex(reference.mid(3, length - 4));
        if (value && *value != 0) return value;
        return std::nullopt;
    }
    const std::optional<qint64> value = scanWholeDecimal(reference.mid(2, length - 3));
    if (value && *value > 0 && *value <= 0xFFFFFFFF) return quint32(*value);
    return std::nullopt;
}

std::optional<QString> namedText(QStringView reference) {
    for (const HtmlEntity &entity : htmlEntityTable())
        if (entity.reference == reference) return QString(QChar(entity.unit));
    return std::nullopt;
}

// The text a candidate reference ("&" to ";", 4 to 10 code units) stands for, or
// nothing when it stays as written.
std::optional<QString> replacementFor(QStringView reference) {
    if (reference[1] != u'#') return namedText(reference);
    const std::optional<quint32> value = numericValue(reference[2], reference);
    return value ? textOf(*value) : std::nullopt;
}

} // namespace

QString &dieseString(quint32 codePoint, QString &result, qsizetype start, qsizetype length) {
    if (const auto text = textOf(codePoint)) result.replace(start, length, *text);
    return result;
}

QString &diese(QString &result, QChar char2, qsizetype length, QStringView reference,
               qsizetype start) {
    if (const auto value = numericValue(char2, reference.first(length)))
        dieseString(*value, result, start, length);
    return result;
}

QString &notDiese(QString &result, QStringView reference, qsizetype start) {
    if (const auto text = namedText(reference)) result.replace(start, reference.size(), *text);
    return result;
}

QString htmlDecode(const QString &text) {
    qsizetype ampersand = text.indexOf(u'&');
    if (ampersand < 0) return text;
    // One pass from the start, appending to the result: a reference runs from an "&" to
    // the first ";" before the next "&", so references never overlap and their order of
    // handling does not matter. Text is searched once and copied once, whatever it holds
    // (replacing in place moved the rest of the text for each reference: a megabyte of
    // "&lt;" took over a second, four took twenty).
    QString result;
    result.reserve(text.size());
    const QStringView source(text);
    result.append(source.first(ampersand));
    while (ampersand >= 0) {
        const qsizetype next = source.indexOf(u'&', ampersand + 1);
        const qsizetype end = next < 0 ? source.size() : next;
        // Only the first ";" up to the longest reference matters.
        const QStringView window =
            source.sliced(ampersand, qMin(end - ampersand, longestReference));
        const qsizetype semicolon = window.indexOf(u';');
        qsizetype copied = ampersand;
        if (semicolon + 1 >= shortestReference) {
            if (const auto replacement = replacementFor(window.first(semicolon + 1))) {
                result.append(*replacement);
                copied = ampersand + semicolon + 1;
            }
        }
        result.append(source.sliced(copied, end - copied));
        ampersand = next;
    }
    return result;
}

} // namespace kelvane
