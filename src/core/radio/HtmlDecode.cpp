#include "core/radio/HtmlDecode.h"

#include "core/radio/HtmlEntityTable.h"

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

} // namespace

QString &dieseString(quint32 codePoint, QString &result, qsizetype start, qsizetype length) {
    if (codePoint >= 1 && codePoint <= 0xFFFE) {
        result.replace(start, length, QChar(char16_t(codePoint)));
    } else if (codePoint >= 0x10000 && codePoint <= 0x10FFFF) {
        const QChar pair[2] = {QChar(char16_t((codePoint >> 10) + 0xD7C0)),
                               QChar(char16_t((codePoint & 0x3FF) | 0xDC00))};
        result.replace(start, length, pair, 2);
    }
    return result;
}

QString &diese(QString &result, QChar char2, qsizetype length, QStringView reference,
               qsizetype start) {
    if (char2 == u'x' || char2 == u'X') {
        const std::optional<quint32> value = scanWholeHex(reference.mid(3, length - 4));
        if (value && *value != 0) dieseString(*value, result, start, length);
    } else {
        const std::optional<qint64> value = scanWholeDecimal(reference.mid(2, length - 3));
        if (value && *value > 0 && *value <= 0xFFFFFFFF)
            dieseString(quint32(*value), result, start, length);
    }
    return result;
}

QString &notDiese(QString &result, QStringView reference, qsizetype start) {
    for (const HtmlEntity &entity : htmlEntityTable()) {
        if (entity.reference == reference) {
            result.replace(start, reference.size(), QChar(entity.unit));
            break;
        }
    }
    return result;
}

QString htmlDecode(const QString &text) {
    qsizetype ampersand = text.lastIndexOf(u'&');
    if (ampersand < 0) return text;
    // Searching reads the untouched source; replacements go into the copy. Working
    // from the end keeps the copy's positions equal to the source's for what is left.
    QString result = text;
    qsizetype upperBound = text.size();
    for (;;) {
        const qsizetype semicolon = QStringView(text).first(upperBound).indexOf(u';', ampersand);
        if (semicolon >= 0) {
            const qsizetype length = semicolon - ampersand + 1;
            if (length >= shortestReference && length <= longestReference) {
                const QStringView reference = QStringView(text).mid(ampersand, length);
                if (reference[1] == u'#')
                    diese(result, reference[2], length, reference, ampersand);
                else
                    notDiese(result, reference, ampersand);
            }
        }
        if (ampersand == 0) return result;
        const qsizetype previous = text.lastIndexOf(u'&', ampersand - 1);
        if (previous < 0) return result;
        upperBound = ampersand;
        ampersand = previous;
    }
}

} // namespace kelvane
