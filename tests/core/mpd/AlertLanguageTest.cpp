// The alerts' fixed tables follow the installed language; the server's own words do not.
#include "core/mpd/MPDServerError.h"
#include "core/settings/Language.h"
#include "mpdc/Records.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace kelvane {
namespace {

using Cause = mpdc::Failure::Cause;

TEST(AlertLanguage, TableTextsAreTranslatedAndServerWordsAreKept) {
    const mpdc::Failure refusedConnection{Cause::System, ECONNREFUSED, -1, "Connexion refusée"};
    const mpdc::Failure exists{Cause::Server, 0, mpdc::ServerError::Exist,
                               "Playlist already exists"};
    ASSERT_TRUE(language::install(QStringLiteral("en")));
    const MPDError refused = MPDServerError::errorFor(refusedConnection);
    const MPDError missing =
        MPDServerError::errorFor(mpdc::Failure::local(QString::fromLatin1(noSuchPlaylistMessage)));
    const MPDError taken = MPDServerError::errorFor(exists);
    const MPDError unknown = MPDServerError::errorFor(mpdc::Failure::local("Zut alors"));
    ASSERT_TRUE(language::install(QStringLiteral("fr")));

    EXPECT_EQ(refused.error, QStringLiteral("Connection refused"));
    EXPECT_TRUE(refused.errorDescription.startsWith(QStringLiteral("1. Check that the server")));
    EXPECT_EQ(missing.error, QStringLiteral("Playlist not found"));
    EXPECT_EQ(taken.error, QStringLiteral("Already exists"));
    EXPECT_TRUE(taken.errorDescription.endsWith(
        QStringLiteral("\n\nServer's answer: \"Playlist already exists\"")))
        << taken.errorDescription.toStdString();
    EXPECT_EQ(unknown.error, QStringLiteral("Zut alors"));
    EXPECT_EQ(unknown.errorDescription, QStringLiteral("no further information"));

    // Back in French, the texts of before, character for character.
    const MPDError again = MPDServerError::errorFor(refusedConnection);
    EXPECT_EQ(again.error, QStringLiteral("Connexion rejetée"));
    EXPECT_EQ(again.errorDescription,
              QStringLiteral("1. Vérifiez que le serveur est joignable et que MPD est actif.\n2. "
                             "Vérifiez qu'un firewall ne bloque pas la connexion.\n3. Vérifiez "
                             "votre connexion réseau."));
    EXPECT_TRUE(MPDServerError::errorFor(exists).errorDescription.endsWith(
        QStringLiteral("\n\nRéponse du serveur : « Playlist already exists »")));
    EXPECT_EQ(MPDServerError::errorFor(mpdc::Failure::local("Zut alors")).errorDescription,
              QStringLiteral("pas d'information complémentaire"));
}

} // namespace
} // namespace kelvane
