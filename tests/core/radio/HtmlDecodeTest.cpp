#include "core/radio/HtmlDecode.h"
#include "core/radio/HtmlEntityTable.h"

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
