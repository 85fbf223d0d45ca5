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
        {"Connection closed by the server",
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Connexion fermée par le serveur"),
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Le serveur MPD ne répond plus.\n\n Vérifiez "
                                                      "qu'il n'a pas été tué et que la connexion "
                                                      "n'a pas de problème.")},
        {"Connection reset by peer",
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Réinitialisation de la connexion"),
         QT_TRANSLATE_NOOP(
             "kelvane::MPDServerError",
             "1. Vérifiez que le serveur MPD est joignable et le service toujours actif.\n\n2. "
             "Vérifiez que la connexion "
             "réseau est fiable.")},
        {"Connection refused", QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Connexion rejetée"),
         QT_TRANSLATE_NOOP(
             "kelvane::MPDServerError",
             "1. Vérifiez que le serveur est joignable et que MPD est actif.\n2. Vérifiez qu'un "
             "firewall ne bloque pas la "
             "connexion.\n3. Vérifiez votre connexion réseau.")},
        {"Malformed connect message received",
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Ce n'est pas un serveur MPD"),
         QT_TRANSLATE_NOOP("kelvane::MPDServerError",
                           "Le serveur a répondu, mais pas comme un serveur MPD.\n\nVérifiez "
                           "l'adresse et le port "
                           "dans les "
                           "préférences.")},
        {"Response line too large",
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Réponse du serveur illisible"),
         QT_TRANSLATE_NOOP("kelvane::MPDServerError",
                           "Une ligne de la réponse du serveur dépasse ce que Kelvane peut lire "
                           "(une étiquette très "
                           "longue, sans "
                           "doute). L'élément concerné est ignoré.")},
        {playlistNotCreatedMessage,
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Playlist non créée"),
         QT_TRANSLATE_NOOP("kelvane::MPDServerError",
                           "Le serveur MPD n'a pas pu créer la playlist vide.")},
        {noSuchPlaylistMessage,
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Playlist introuvable"),
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Cette playlist n'existe pas (ou plus) sur "
                                                      "le serveur MPD. La liste de lecture n'a pas "
                                                      "été touchée.")},
        {nothingToPlayMessage, QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Rien à lire"),
         QT_TRANSLATE_NOOP(
             "kelvane::MPDServerError",
             "Les titres demandés ne sont plus sur le serveur MPD (album renommé ou déplacé, "
             "liste modifiée par un autre client). La liste de lecture n'a pas été touchée.")},
        {notAStreamMessage,
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Adresse de flux invalide"),
         QT_TRANSLATE_NOOP(
             "kelvane::MPDServerError",
             "La station n'a pas donné d'adresse de flux, ou ce n'est pas une adresse que MPD "
             "sache "
             "lire (http://…, https://…). Rien n'a été envoyé au serveur ; la liste de lecture n'a "
             "pas été touchée.")},
        {mpdc::malformedRecordMessage,
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Réponse du serveur illisible"),
         QT_TRANSLATE_NOOP(
             "kelvane::MPDServerError",
             "Le serveur a envoyé un élément incomplet (un titre sans chemin, une position sans "
             "identifiant) ; la connexion a été fermée.\n\nVérifiez qu'il s'agit bien d'un serveur "
             "MPD.")},
        {mpdc::controlCharacterMessage,
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Texte refusé"),
         QT_TRANSLATE_NOOP("kelvane::MPDServerError",
                           "Le texte contient un caractère de contrôle (saut de ligne, "
                           "tabulation…) qu'une commande "
                           "MPD ne "
                           "peut pas porter. Rien n'a été envoyé au serveur.")},
        {mpdc::tooLongMessage, QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Texte trop long"),
         QT_TRANSLATE_NOOP(
             "kelvane::MPDServerError",
             "Le texte dépasse la longueur qu'une commande MPD peut porter. Rien n'a été envoyé au "
             "serveur.")},
        {mpdc::answerTooLargeMessage,
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Réponse du serveur trop longue"),
         QT_TRANSLATE_NOOP(
             "kelvane::MPDServerError",
             "Le serveur a envoyé une réponse sans fin ou démesurée ; la connexion a été "
             "fermée.\n\nVérifiez "
             "qu'il s'agit bien d'un serveur MPD.")},
        {mpdc::implausibleStatusMessage,
         QT_TRANSLATE_NOOP("kelvane::MPDServerError", "État du serveur incohérent"),
         QT_TRANSLATE_NOOP("kelvane::MPDServerError",
                           "Le serveur a annoncé un état impossible (volume, longueur de la file, "
                           "position dans la "
                           "file ou temps écoulé "
                           "hors "
                           "limites) ; la connexion a été fermée.\n\nVérifiez qu'il s'agit bien "
                           "d'un serveur MPD.")},
    };
    for (const Known &k : known)
        if (message == QLatin1String(k.message))
            return {QCoreApplication::translate("kelvane::MPDServerError", k.title),
                    QCoreApplication::translate("kelvane::MPDServerError", k.detail)};
    // The server's own words (its language, not ours) stay as the title.
    return {message, QCoreApplication::translate("kelvane::MPDServerError",
                                                 "pas d'information complémentaire")};
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

} // namespace kelvane
