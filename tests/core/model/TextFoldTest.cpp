// The folded forms of texts that the searches match and the lists sort by.
#include "core/model/TextFold.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>

using namespace kelvane;

namespace {
QString s(const char *utf8) {
    return QString::fromUtf8(utf8);
}
} // namespace

TEST(TextFold, AccentsCaseLigaturesAndUndecomposableLettersFold) {
    EXPECT_EQ(textfold::searchKey(s("Éléonore Fauré")), s("eleonore faure"));
    EXPECT_EQ(textfold::searchKey(s("ÆRØSKØBING Brass")), s("aeroskobing brass"));
    EXPECT_EQ(textfold::searchKey(s("Œuvres, Straße, STRASSE ẞ")),
              s("oeuvres, strasse, strasse ss"));
    EXPECT_EQ(textfold::searchKey(s("Łódź Đorđe Þór Ðiðrik")), s("lodz dorde thor didrik"));
    // Compatibility forms spelled out; a letter decomposed over two levels ("ǖ").
    EXPECT_EQ(textfold::searchKey(s("ﬁn ½ ① Ǖ")), s("fin 1⁄2 1 u"));
    // Already decomposed input folds the same as composed input.
    EXPECT_EQ(textfold::searchKey(s("E\u0301te\u0301")), textfold::searchKey(s("Été")));
    // Outside the Basic Multilingual Plane: kept whole, case folded (Deseret).
    EXPECT_EQ(textfold::searchKey(s("\U00010400x")), s("\U00010428x"));
    // A lone surrogate half is kept as it is, not read past.
    const QString broken = QString(QChar(0xD800)) + QStringLiteral("A");
    EXPECT_EQ(textfold::searchKey(broken), QString(QChar(0xD800)) + QStringLiteral("a"));
    EXPECT_TRUE(textfold::searchKey(QString()).isEmpty());
}

TEST(TextFold, SortKeyDropsAccentsButKeepsSpacingVowelSigns) {
    // Devanagari "कि" and "का" differ only by their spacing vowel sign: the order keeps
    // them apart, the search (like the album filter) does not.
    EXPECT_NE(textfold::sortKey(s("कि")), textfold::sortKey(s("का")));
    EXPECT_EQ(textfold::searchKey(s("कि")), textfold::searchKey(s("का")));
    EXPECT_EQ(textfold::sortKey(s("Été")), s("ete"));
}

TEST(TextFold, OrderIgnoresTheUsersLocaleAndBreaksTiesAsBefore) {
    // Under Turkish rules "I" would fold to a dotless ı; the order must not follow the
    // locale (the suite itself runs under fr_FR).
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    EXPECT_EQ(textfold::sortKey(s("ISTANBUL")), s("istanbul"));
    QLocale::setDefault(previous);

    EXPECT_LT(textfold::compareForOrder(s("Éléonore"), s("Zoë")), 0);
    EXPECT_GT(textfold::compareForOrder(s("Ærøskøbing"), s("Abbey")), 0); // "ae" after "ab"
    // Equal under the key: ordered case-insensitively as the lists were ("E" < "É").
    EXPECT_LT(textfold::compareForOrder(s("Eleonore"), s("Éléonore")), 0);
    EXPECT_GT(textfold::compareForOrder(s("Éléonore"), s("eleonore")), 0);
    EXPECT_EQ(textfold::compareForOrder(s("abba"), s("ABBA")), 0);

    QStringList names{
        s("Zoë Kravitz Trio"), s("Éléonore Fauré"), s("Ærøskøbing Brass"), s("Eagles"), s("abba"),
        s("Ödland"),           s("Oasis")};
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return textfold::compareForOrder(a, b) < 0;
    });
    EXPECT_EQ(names,
              (QStringList{s("abba"), s("Ærøskøbing Brass"), s("Eagles"), s("Éléonore Fauré"),
                           s("Oasis"), s("Ödland"), s("Zoë Kravitz Trio")}));
}
