// The alerts' fixed table follows the installed language; the server's own words do not.
#include "core/mpd/MPDServerError.h"
#include "core/settings/Language.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

TEST(AlertLanguage, TableTextsAreTranslatedAndServerWordsAreKept) {
    ASSERT_TRUE(language::install(QStringLiteral("en")));
    const MPDError refused = MPDServerError::errorFor(QStringLiteral("Connection refused"));
    const MPDError missing = MPDServerError::errorFor(QString::fromLatin1(noSuchPlaylistMessage));
    const MPDError unknown = MPDServerError::errorFor(QStringLiteral("Zut alors"));
    ASSERT_TRUE(language::install(QStringLiteral("fr")));

    EXPECT_EQ(refused.error, QStringLiteral("Connection refused"));
    EXPECT_TRUE(refused.errorDescription.startsWith(QStringLiteral("1. Check that the server")));
    EXPECT_EQ(missing.error, QStringLiteral("Playlist not found"));
    EXPECT_EQ(unknown.error, QStringLiteral("Zut alors"));
    EXPECT_EQ(unknown.errorDescription, QStringLiteral("no further information"));

    // Back in French, the texts of before, character for character.
    const MPDError again = MPDServerError::errorFor(QStringLiteral("Connection refused"));
    EXPECT_EQ(again.error, QStringLiteral("Connexion rejetée"));
    EXPECT_EQ(again.errorDescription,
              QStringLiteral("1. Vérifiez que le serveur est joignable et que MPD est actif.\n2. "
                             "Vérifiez qu'un firewall ne bloque pas la connexion.\n3. Vérifiez "
                             "votre connexion réseau."));
    EXPECT_EQ(MPDServerError::errorFor(QStringLiteral("Zut alors")).errorDescription,
              QStringLiteral("pas d'information complémentaire"));
}

} // namespace
} // namespace kelvane
