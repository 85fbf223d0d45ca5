#include "core/radio/HtmlDecode.h"
#include "core/radio/HtmlEntityTable.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace kelvane;

namespace {
QString decoded(const char16_t *text) {
    return htmlDecode(QString::fromUtf16(text));
}
} // namespace

TEST(HtmlDecode, NamedReferences) {
    EXPECT_EQ(decoded(u"Caf&eacute;"), u"Café");
    EXPECT_EQ(decoded(u"&Eacute;t&eacute;"), u"Été");
    EXPECT_EQ(decoded(u"Rock &amp; Roll"), u"Rock & Roll");
    EXPECT_EQ(decoded(u"l&apos;heure"), u"l'heure");
    EXPECT_EQ(decoded(u"&quot;Live&quot;"), u"\"Live\"");
    EXPECT_EQ(decoded(u"&nbsp;&diams;"), u"\u00A0\u2666");
}

TEST(HtmlDecode, NamedReferencesAreCaseSensitive) {
    EXPECT_EQ(decoded(u"&EACUTE;"), u"&EACUTE;");
    EXPECT_NE(decoded(u"&Eacute;"), decoded(u"&eacute;"));
    EXPECT_EQ(decoded(u"&unknown;"), u"&unknown;");
}

TEST(HtmlDecode, NumericReferences) {
    EXPECT_EQ(decoded(u"&#233;"), u"é");
    EXPECT_EQ(decoded(u"&#xE9;"), u"é");
    EXPECT_EQ(decoded(u"&#XE9;"), u"é");
    EXPECT_EQ(decoded(u"&#65;BC"), u"ABC");
    EXPECT_EQ(decoded(u"&#+65;"), u"A");   // the scan takes a sign
    EXPECT_EQ(decoded(u"&#x0x41;"), u"A"); // and a 0x prefix
    EXPECT_EQ(decoded(u"&# 65;"), u"A");   // and skips leading blanks
}

TEST(HtmlDecode, NumericReferencesThatStay) {
    for (const char16_t *text :
         {u"&#0;", u"&#x0;", u"&#-5;", u"&#12a;", u"&#x;", u"&#xG1;", u"&#65 ;"})
        EXPECT_EQ(decoded(text), QString::fromUtf16(text))
            << QString::fromUtf16(text).toStdString();
}

TEST(HtmlDecode, CodePointsOutsideTheBasicPlane) {
    const QString face = decoded(u"&#x1F600;");
    ASSERT_EQ(face.size(), 2);
    EXPECT_EQ(face[0].unicode(), 0xD83D);
    EXPECT_EQ(face[1].unicode(), 0xDE00);
    EXPECT_EQ(decoded(u"&#128512;"), face);
    EXPECT_EQ(decoded(u"&#xFFFF;"), u"&#xFFFF;");
    EXPECT_EQ(decoded(u"&#x110000;"), u"&#x110000;");
    EXPECT_EQ(decoded(u"&#1114112;"), u"&#1114112;");
    EXPECT_EQ(decoded(u"&#xFFFE;"), QString(QChar(0xFFFE)));
}

TEST(HtmlDecode, LengthBounds) {
    // Shorter than 4 code units, "&" to ";" included.
    EXPECT_EQ(decoded(u"&;"), u"&;");
    EXPECT_EQ(decoded(u"&a;"), u"&a;");
    // 10 is the longest examined; 11 stays even when it would be valid.
    EXPECT_EQ(decoded(u"&#1114111;").size(), 2);
    EXPECT_EQ(decoded(u"&#1234567;"), u"&#1234567;"); // examined, but past 10FFFF
    EXPECT_EQ(decoded(u"&#x10FFFF;").size(), 2);
    EXPECT_EQ(decoded(u"&#12345678;"), u"&#12345678;");
    EXPECT_EQ(decoded(u"&#x0010FFFF;"), u"&#x0010FFFF;");
    EXPECT_EQ(decoded(u"&thetasym;"), u"\u03D1"); // 10 code units
}

TEST(HtmlDecode, SinglePassFromTheEnd) {
    EXPECT_EQ(decoded(u"&amp;lt;"), u"&lt;");
    EXPECT_EQ(decoded(u"&&lt;"), u"&<"); // the first "&" finds no ";" before the second
    EXPECT_EQ(decoded(u"&amp"), u"&amp");
    EXPECT_EQ(decoded(u"a &amp b &lt; c"), u"a &amp b < c");
    EXPECT_EQ(decoded(u"&lt;&gt;&amp;&quot;"), u"<>&\"");
}

TEST(HtmlDecode, TextWithoutAmpersandIsUnchanged) {
    const QString text = QStringLiteral("Plain; text");
    EXPECT_EQ(htmlDecode(text), text);
    EXPECT_TRUE(htmlDecode(QString()).isNull());
}

TEST(HtmlEntityTable, HoldsTheMarkupFiveThenAscendingCodePoints) {
    const auto &table = htmlEntityTable();
    ASSERT_EQ(table.size(), 253u);
    EXPECT_EQ(table[0].reference, u"&quot;");
    EXPECT_EQ(table[1].reference, u"&amp;");
    EXPECT_EQ(table[2].reference, u"&apos;");
    EXPECT_EQ(table[3].reference, u"&lt;");
    EXPECT_EQ(table[4].reference, u"&gt;");
    EXPECT_EQ(table[5].reference, u"&nbsp;");
    EXPECT_EQ(table[252].reference, u"&diams;");
    for (std::size_t i = 6; i < table.size(); ++i)
        EXPECT_LT(table[i - 1].unit, table[i].unit) << i;
    EXPECT_EQ(decoded(u"&euro;&OElig;&hellip;&alefsym;"), u"€Œ…ℵ");
}

namespace {
// The decoder as first written, in place from the end of the text, out of the three
// steps: the reference the one-pass decoder must agree with on every input.
QString decodedInPlace(const QString &text) {
    qsizetype ampersand = text.lastIndexOf(u'&');
    if (ampersand < 0) return text;
    QString result = text;
    qsizetype upperBound = text.size();
    for (;;) {
        const qsizetype semicolon = QStringView(text).first(upperBound).indexOf(u';', ampersand);
        const qsizetype length = semicolon - ampersand + 1;
        if (semicolon >= 0 && length >= 4 && length <= 10) {
            const QStringView reference = QStringView(text).mid(ampersand, length);
            if (reference[1] == u'#')
                diese(result, reference[2], length, reference, ampersand);
            else
                notDiese(result, reference, ampersand);
        }
        if (ampersand == 0) return result;
        const qsizetype previous = text.lastIndexOf(u'&', ampersand - 1);
        if (previous < 0) return result;
        upperBound = ampersand;
        ampersand = previous;
    }
}
} // namespace

TEST(HtmlDecode, AgreesWithTheInPlaceDecoderOnRandomText) {
    // Pieces that make references, near-references and their borders likely.
    const QStringList pieces{"&",    ";",    "#",     "x",    "X",  "lt",    "amp", "eacute",
                             "0",    "65",   "1F600", "FFFF", " ",  "-",     "+",   "a",
                             "é",    "&lt;", "&#",    "&#x",  "&&", ";;",    "0x",  "1114111",
                             "&amp", "Z",    "\n",    "&#12", "9;", "EACUTE"};
    quint32 seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int count = int(next() % 12);
        for (int i = 0; i < count; ++i)
            text += pieces[int((next() >> 8) % quint32(pieces.size()))];
        ASSERT_EQ(htmlDecode(text), decodedInPlace(text)) << text.toStdString();
    }
}

TEST(HtmlDecode, HostileNamesDecodeWhole) {
    // Sixteen megabytes of references: one pass, whatever their number (replacing in place
    // took 23 s for four megabytes, and would take minutes here).
    const qsizetype count = 4 * 1024 * 1024;
    const QString lessThans = QStringLiteral("&lt;").repeated(count);
    EXPECT_EQ(htmlDecode(lessThans), QString(count, u'<'));
    const QString numeric = QStringLiteral("&#x1F600;").repeated(count / 2);
    const QString faces = htmlDecode(numeric);
    ASSERT_EQ(faces.size(), count);
    EXPECT_EQ(faces.back().unicode(), 0xDE00);
    // Ampersands without references, and references that never close, stay as written.
    const QStringList staying{QString(count, u'&'), QStringLiteral("&;").repeated(count / 2),
                              QStringLiteral("&#").repeated(count / 2),
                              QStringLiteral("&amp").repeated(count / 4),
                              QStringLiteral("&") + QString(count, u'a') + QStringLiteral(";")};
    for (const QString &text : staying)
        EXPECT_EQ(htmlDecode(text), text);
    // Replaced text is never read again, however deep the nesting.
    EXPECT_EQ(htmlDecode(QStringLiteral("&amp;").repeated(count / 4) + QStringLiteral("lt;")),
              QString(count / 4, u'&') + QStringLiteral("lt;"));
}
