#include "core/model/TextFold.h"

#include <QChar>

namespace kelvane::textfold {

namespace {

enum class Marks { NonSpacing, All };

bool dropped(char32_t c, Marks marks) {
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
        return true;
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return marks == Marks::All;
    default:
        return false;
    }
}

// Letters that stay whole under NFKD, as a reader who does not know them would spell
// them; the text is case-folded by then, so only the small letters are listed.
const char *spelledOut(char32_t c) {
    switch (c) {
    case 0x00E6: // æ
        return "ae";
    case 0x00F8: // ø
        return "o";
    case 0x0153: // œ
        return "oe";
    case 0x00DF: // ß (ẞ folds to it)
        return "ss";
    case 0x0111: // đ
    case 0x00F0: // ð
        return "d";
    case 0x0142: // ł
        return "l";
    case 0x00FE: // þ
        return "th";
    default:
        return nullptr;
    }
}

// The code point at i, a surrogate pair read whole (i then stands on its second half); a
// lone half is taken as it is.
char32_t codePointAt(QStringView text, qsizetype &i) {
    const char16_t first = text[i].unicode();
    if (QChar::isHighSurrogate(first) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        const char16_t second = text[++i].unicode();
        return QChar::surrogateToUcs4(first, second);
    }
    return first;
}

void appendFolded(QString &out, char32_t c, Marks marks) {
    if (dropped(c, marks)) return;
    c = QChar::toCaseFolded(c);
    if (const char *spelling = spelledOut(c)) {
        out += QLatin1StringView(spelling);
        return;
    }
    // Case folding can land outside the Basic Multilingual Plane only from outside it.
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

// A character's full compatibility decomposition, folded into out. The table holds one
// level of mapping per character; its parts may decompose again ("ǖ" is "ü" and a
// macron), a few levels at most.
void decomposeInto(QString &out, char32_t c, Marks marks, int depth = 0) {
    if (c < 0x80) {
        out += QChar(char16_t(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c));
        return;
    }
    const QString parts = depth < 8 ? QChar::decomposition(c) : QString();
    if (parts.isEmpty()) {
        appendFolded(out, c, marks);
        return;
    }
    for (qsizetype i = 0; i < parts.size(); ++i)
        decomposeInto(out, codePointAt(parts, i), marks, depth + 1);
}

QString fold(QStringView text, Marks marks) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        decomposeInto(out, codePointAt(text, i), marks);
    return out;
}

} // namespace

QString searchKey(QStringView text) {
    return fold(text, Marks::All);
}

QString sortKey(QStringView text) {
    return fold(text, Marks::NonSpacing);
}

int compareForOrder(QStringView a, QStringView b) {
    if (const int byKey = sortKey(a).compare(sortKey(b))) return byKey;
    return a.compare(b, Qt::CaseInsensitive);
}

} // namespace kelvane::textfold
