// The alert a failure gets: known by its code whatever language the C library wrote its
// text in, and a server's refusal explained in French with the server's own words kept.
#include "core/mpd/MPDServerError.h"
#include "mpdc/Records.h"

#include <QtGlobal>
#include <cerrno>
#include <gtest/gtest.h>

using namespace kelvane;
using Cause = mpdc::Failure::Cause;

namespace {

MPDError alertFor(Cause cause, int systemError, int serverError, const char *message) {
    return MPDServerError::errorFor({cause, systemError, serverError, QString::fromUtf8(message)});
}

MPDError refusal(int code, const char *message) {
    return alertFor(Cause::Server, 0, code, message);
}

// The environment's language for the C library's messages, for the life of the guard.
class MessagesIn {
  public:
    explicit MessagesIn(const char *locale)
        : m_all(qgetenv("LC_ALL")), m_messages(qgetenv("LC_MESSAGES")) {
        qunsetenv("LC_ALL");
        qputenv("LC_MESSAGES", locale);
    }
    ~MessagesIn() {
        restore("LC_ALL", m_all);
        restore("LC_MESSAGES", m_messages);
    }

  private:
    static void restore(const char *name, const QByteArray &value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QByteArray m_all, m_messages;
};

} // namespace

TEST(ErrorReport, ConnectionFailuresAreKnownByTheirCodeInAnyLanguage) {
    // What libmpdclient passes on from the C library under fr_FR.
    EXPECT_EQ(alertFor(Cause::System, ECONNREFUSED, -1, "Connexion refusée").error,
              QStringLiteral("Connexion rejetée"));
    EXPECT_EQ(alertFor(Cause::System, ECONNRESET, -1,
                       "Connexion ré-initialisée par le "
                       "correspondant")
                  .error,
              QStringLiteral("Réinitialisation de la connexion"));
    const MPDError closed = alertFor(Cause::Closed, 0, -1, "Connection closed by the server");
    EXPECT_EQ(closed.error, QStringLiteral("Connexion fermée par le serveur"));
    EXPECT_TRUE(closed.errorDescription.startsWith(QStringLiteral("Le serveur MPD ne répond")));
    // The rules' own cases stay as they are defined: the library's time-out, and a text
    // that differs from a known one by its case only.
    EXPECT_EQ(alertFor(Cause::Timeout, 0, -1, "Timeout").error, QStringLiteral("Timeout"));
    EXPECT_EQ(alertFor(Cause::Timeout, 0, -1, "Timeout").errorDescription,
              QStringLiteral("pas d'information complémentaire"));
    EXPECT_EQ(alertFor(Cause::Local, 0, -1, "connection refused").error,
              QStringLiteral("connection refused"));
    // Any other system error: the system's own words, in the user's language (the
    // process keeps its messages in "C" for the protocol).
    const MessagesIn french("fr_FR.UTF-8");
    EXPECT_EQ(alertFor(Cause::System, EHOSTUNREACH, -1, "No route to host").error,
              QStringLiteral("Aucun chemin d'accès pour atteindre l'hôte cible"));
}

TEST(ErrorReport, ServerRefusalsAreExplainedInFrenchWithTheServersWords) {
    const struct {
        int code;
        const char *message, *title;
    } cases[] = {
        {mpdc::ServerError::NoExist, "No such directory", "Introuvable sur le serveur"},
        {mpdc::ServerError::Arg, "Bad song index", "Requête refusée par le serveur"},
        {mpdc::ServerError::Password, "incorrect password", "Mot de passe refusé"},
        {mpdc::ServerError::Permission, "you don't have permission for \"status\"",
         "Action non autorisée"},
        {mpdc::ServerError::UnknownCommand, "unknown command \"getvol\"",
         "Commande inconnue du serveur"},
        {mpdc::ServerError::PlaylistMax, "Playlist is too large", "Liste trop longue"},
        {mpdc::ServerError::System, "Failed to open file", "Erreur sur le serveur MPD"},
        {mpdc::ServerError::PlaylistLoad, "Failed to load playlist", "Playlist illisible"},
        {mpdc::ServerError::UpdateAlready, "already updating", "Mise à jour déjà en cours"},
        {mpdc::ServerError::PlayerSync, "Not playing", "Lecteur pas prêt"},
        {mpdc::ServerError::Exist, "Playlist already exists", "Existe déjà"},
        {mpdc::ServerError::NotList, "not in a command list", "Liste de commandes refusée"},
    };
    for (const auto &c : cases) {
        const MPDError alert = refusal(c.code, c.message);
        EXPECT_EQ(alert.error, QString::fromUtf8(c.title)) << c.message;
        EXPECT_TRUE(alert.errorDescription.endsWith(
            QStringLiteral("Réponse du serveur : « %1 »").arg(QString::fromUtf8(c.message))))
            << qPrintable(alert.errorDescription);
        EXPECT_FALSE(alert.errorDescription.startsWith(QStringLiteral("pas d'information")));
    }
    // A code the protocol does not define keeps the rules' last row.
    const MPDError unknown = refusal(99, "Something new");
    EXPECT_EQ(unknown.error, QStringLiteral("Something new"));
    EXPECT_EQ(unknown.errorDescription, QStringLiteral("pas d'information complémentaire"));
    // A refusal whose words this client knows keeps its own alert.
    EXPECT_EQ(refusal(mpdc::ServerError::NoExist, "No such playlist").error,
              QStringLiteral("Playlist introuvable"));
}
