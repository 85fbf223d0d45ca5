// The address of an album's cover picture, for the grid and for the large window.
#include "core/library/CoverAddress.h"
#include "core/settings/Setting.h"

#include <gtest/gtest.h>

using namespace kelvane;

namespace {
const QString php = QStringLiteral("index.php?file=");
const QString host = QStringLiteral("music.local");

QString grid(const QString &path, const std::optional<QString> &prefix = std::nullopt) {
    const QUrl url = CoverAddress::gridAddress(path, host, prefix);
    EXPECT_TRUE(url.isValid()) << path.toStdString();
    // What the loader will ask for must be exactly the text the rule built.
    EXPECT_EQ(url.toString(QUrl::FullyEncoded), CoverAddress::gridText(path, host, prefix));
    return url.toString(QUrl::FullyEncoded);
}
} // namespace

TEST(CoverAddress, WorkedExampleWithAndWithoutScriptPrefix) {
    EXPECT_EQ(grid(QStringLiteral("Pink Floyd/The Wall")),
              QStringLiteral("http://music.local/Pink%20Floyd/The%20Wall/cover.jpg"));
    EXPECT_EQ(
        grid(QStringLiteral("Pink Floyd/The Wall"), php),
        QStringLiteral("http://music.local/index.php?file=/Pink%20Floyd/The%20Wall/cover.jpg"));
}

TEST(CoverAddress, AmpersandIsEscapedOnlyInsideTheScriptQuery) {
    EXPECT_EQ(grid(QStringLiteral("Simon & Garfunkel/Bookends")),
              QStringLiteral("http://music.local/Simon%20&%20Garfunkel/Bookends/cover.jpg"));
    EXPECT_EQ(grid(QStringLiteral("Simon & Garfunkel/Bookends"), php),
              QStringLiteral(
                  "http://music.local/index.php?file=/Simon%20%26%20Garfunkel/Bookends/cover.jpg"));
    // The large form never escapes it.
    EXPECT_EQ(CoverAddress::largeAddress(QStringLiteral("Simon & Garfunkel/Bookends"))
                  .toString(QUrl::FullyEncoded),
              QStringLiteral("http://127.0.0.1/Simon%20&%20Garfunkel/Bookends/cover.jpg"));
}

TEST(CoverAddress, NumberSignQuestionMarkAndNonAsciiAreEncoded) {
    // Never a fragment or a query of the directory's own making.
    const QUrl url =
        CoverAddress::gridAddress(QStringLiteral("Édith Piaf/Best of #1?"), host, std::nullopt);
    EXPECT_EQ(url.toString(QUrl::FullyEncoded),
              QStringLiteral("http://music.local/%C3%89dith%20Piaf/Best%20of%20%231%3F/cover.jpg"));
    EXPECT_FALSE(url.hasFragment());
    EXPECT_FALSE(url.hasQuery());
    EXPECT_EQ(grid(QStringLiteral("Café")),
              QStringLiteral("http://music.local/Caf%C3%A9/cover.jpg"));
}

TEST(CoverAddress, ExactEncodingSet) {
    // Kept: letters, digits and ! $ & ' ( ) * + , - . / : = @ _ ~ ; everything else encoded.
    EXPECT_EQ(CoverAddress::encodePath(QStringLiteral("aZ09!$&'()*+,-./:=@_~")),
              QStringLiteral("aZ09!$&'()*+,-./:=@_~"));
    EXPECT_EQ(CoverAddress::encodePath(QStringLiteral(" \"#%;<>?[\\]^`{|}")),
              QStringLiteral("%20%22%23%25%3B%3C%3E%3F%5B%5C%5D%5E%60%7B%7C%7D"));
    EXPECT_EQ(CoverAddress::encodePath(QStringLiteral("\t")), QStringLiteral("%09"));
    EXPECT_EQ(grid(QStringLiteral("a'b(c)!*+,:=@~$")),
              QStringLiteral("http://music.local/a'b(c)!*+,:=@~$/cover.jpg"));
    EXPECT_EQ(grid(QStringLiteral("100% [live]")),
              QStringLiteral("http://music.local/100%25%20%5Blive%5D/cover.jpg"));
}

TEST(CoverAddress, RootDirectoryGivesTwoSlashes) {
    EXPECT_EQ(grid(QString(QLatin1String(""))), QStringLiteral("http://music.local//cover.jpg"));
    EXPECT_EQ(grid(QString(QLatin1String("")), php),
              QStringLiteral("http://music.local/index.php?file=//cover.jpg"));
    EXPECT_EQ(CoverAddress::largeAddress(QString(QLatin1String(""))).toString(QUrl::FullyEncoded),
              QStringLiteral("http://127.0.0.1//cover.jpg"));
}

TEST(CoverAddress, UnparsableTextGivesNoAddress) {
    EXPECT_FALSE(
        CoverAddress::gridAddress(QStringLiteral("A"), QStringLiteral("bad host"), std::nullopt)
            .isValid());
    EXPECT_FALSE(
        CoverAddress::gridAddress(QStringLiteral("A"), QStringLiteral("h"), QStringLiteral("a b"))
            .isValid());
}

TEST(CoverAddress, ServerComesFromTheSettings) {
    Setting &setting = Setting::sSetting();
    setting.setSessionServer(std::nullopt, std::nullopt);
    setting.unsetHTTP();
    setting.unsetPHP();
    setting.setHost(QStringLiteral("127.0.0.1"));
    EXPECT_EQ(CoverAddress::gridAddress(QStringLiteral("A")).toString(QUrl::FullyEncoded),
              QStringLiteral("http://127.0.0.1/A/cover.jpg"));

    setting.setHost(QStringLiteral("mpd.lan"));
    EXPECT_EQ(CoverAddress::gridAddress(QStringLiteral("A")).toString(QUrl::FullyEncoded),
              QStringLiteral("http://mpd.lan/A/cover.jpg"));

    setting.setHTTP(QStringLiteral("covers.lan:8080"));
    setting.setPHP(php);
    EXPECT_EQ(CoverAddress::gridAddress(QStringLiteral("S & G")).toString(QUrl::FullyEncoded),
              QStringLiteral("http://covers.lan:8080/index.php?file=/S%20%26%20G/cover.jpg"));
    // The large form ignores every setting.
    EXPECT_EQ(CoverAddress::largeAddress(QStringLiteral("S & G")).toString(QUrl::FullyEncoded),
              QStringLiteral("http://127.0.0.1/S%20&%20G/cover.jpg"));

    setting.unsetHTTP();
    setting.unsetPHP();
    setting.setHost(QStringLiteral("127.0.0.1"));
}
