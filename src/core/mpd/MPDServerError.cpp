#include "core/mpd/MPDServerError.h"

#include "mpdc/Arguments.h"
#include "mpdc/Connection.h"

#include <QCoreApplication>
#include <QThread>

namespace kelvane {

MPDServerError &MPDServerError::sMPDServerError() {
    static MPDServerError instance;
    return instance;
}

void MPDServerError::release(MPDErrorDelegate *delegate) {
    if (m_delegate == delegate) m_delegate = nullptr;
}

MPDError MPDServerError::errorFor(const QString &message) {
    struct Known {
        const char *message, *title, *detail;
    };
    static const Known known[] = {
        {"Connection closed by the server", "Connexion fermée par le serveur",
         "Le serveur MPD ne répond plus.\n\n Vérifiez qu'il n'a pas été tué et que la connexion "
         "n'a pas de problème."},
        {"Connection reset by peer", "Réinitialisation de la connexion",
         "1. Vérifiez que le serveur MPD est joignable et le service toujours actif.\n\n2. "
         "Vérifiez que la connexion "
         "réseau est fiable."},
        {"Connection refused", "Connexion rejetée",
         "1. Vérifiez que le serveur est joignable et que MPD est actif.\n2. Vérifiez qu'un "
         "firewall ne bloque pas la "
         "connexion.\n3. Vérifiez votre connexion réseau."},
        {"Malformed connect message received", "Ce n'est pas un serveur MPD",
         "Le serveur a répondu, mais pas comme un serveur MPD.\n\nVérifiez l'adresse et le port "
         "dans les "
         "préférences."},
        {"Response line too large", "Réponse du serveur illisible",
         "Une ligne de la réponse du serveur dépasse ce que Kelvane peut lire (une étiquette très "
         "longue, sans "
         "doute). L'élément concerné est ignoré."},
        {playlistNotCreatedMessage, "Playlist non créée",
         "Le serveur MPD n'a pas pu créer la playlist vide."},
        {noSuchPlaylistMessage, "Playlist introuvable",
         "Cette playlist n'existe pas (ou plus) sur le serveur MPD. La liste de lecture n'a pas "
         "été touchée."},
        {mpdc::controlCharacterMessage, "Texte refusé",
         "Le texte contient un caractère de contrôle (saut de ligne, tabulation…) qu'une commande "
         "MPD ne "
         "peut pas porter. Rien n'a été envoyé au serveur."},
        {mpdc::tooLongMessage, "Texte trop long",
         "Le texte dépasse la longueur qu'une commande MPD peut porter. Rien n'a été envoyé au "
         "serveur."},
        {mpdc::answerTooLargeMessage, "Réponse du serveur trop longue",
         "Le serveur a envoyé une réponse sans fin ou démesurée ; la connexion a été "
         "fermée.\n\nVérifiez "
         "qu'il s'agit bien d'un serveur MPD."},
        {mpdc::implausibleStatusMessage, "État du serveur incohérent",
         "Le serveur a annoncé un état impossible (volume, position dans la file ou temps écoulé "
         "hors "
         "limites) ; la connexion a été fermée.\n\nVérifiez qu'il s'agit bien d'un serveur MPD."},
    };
    for (const Known &k : known)
        if (message == QLatin1String(k.message))
            return {QString::fromUtf8(k.title), QString::fromUtf8(k.detail)};
    return {message, QStringLiteral("pas d'information complémentaire")};
}

void MPDServerError::send(const mpdc::Connection &connection) {
    sendMessage(connection.errorMessage());
}

void MPDServerError::sendMessage(const QString &message) {
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(
            app, [message] { sMPDServerError().sendMessage(message); }, Qt::QueuedConnection);
        return;
    }
    if (m_delegate) m_delegate->onError(errorFor(message));
}

void MPDServerError::sendOutage(const QString &message) {
    if (!m_delegate) return;
    MPDError error = errorFor(message);
    error.outage = true;
    m_delegate->onError(error);
}

} // namespace kelvane
