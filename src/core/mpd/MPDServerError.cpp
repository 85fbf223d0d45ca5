#include "core/mpd/MPDServerError.h"

#include "mpdc/Arguments.h"
#include "mpdc/Connection.h"

#include "core/thread/MainThread.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <locale.h>

namespace kelvane {

namespace {

using Cause = mpdc::Failure::Cause;

QString noMoreInformation() {
    return QCoreApplication::translate("kelvane::MPDServerError",
                                       "pas d'information complémentaire");
}

// The alerts of the failures the library names, and those of failures this client finds
// itself; titles and details are translated when shown. A row matches a failure by its code when it
// has one, else by the text, which is then the library's own English (never translated) or this
// client's.
struct Known {
    bool (*code)(const mpdc::Failure &);
    const char *message, *title, *detail;
};

bool closedByServer(const mpdc::Failure &f) {
    return f.cause == Cause::Closed;
}
bool resetByPeer(const mpdc::Failure &f) {
    return f.cause == Cause::System && f.systemError == ECONNRESET;
}
bool refused(const mpdc::Failure &f) {
    return f.cause == Cause::System && f.systemError == ECONNREFUSED;
}

const Known known[] = {
    {&closedByServer, "Connection closed by the server",
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Connexion fermée par le serveur"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le serveur MPD ne répond plus.\n\n Vérifiez qu'il n'a pas été tué et que la connexion "
         "n'a pas de problème.")},
    {&resetByPeer, "Connection reset by peer",
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Réinitialisation de la connexion"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "1. Vérifiez que le serveur MPD est joignable et le service toujours actif.\n\n2. "
         "Vérifiez que la connexion réseau est fiable.")},
    {&refused, "Connection refused",
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Connexion rejetée"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "1. Vérifiez que le serveur est joignable et que MPD est actif.\n2. Vérifiez qu'un "
         "firewall ne bloque pas la connexion.\n3. Vérifiez votre connexion réseau.")},
    {nullptr, "Malformed connect message received",
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Ce n'est pas un serveur MPD"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le serveur a répondu, mais pas comme un serveur MPD.\n\nVérifiez l'adresse et le port "
         "dans les préférences.")},
    {nullptr, "Response line too large",
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Réponse du serveur illisible"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Une ligne de la réponse du serveur dépasse ce que Kelvane peut lire (une étiquette très "
         "longue, sans doute). L'élément concerné est ignoré.")},
    {nullptr, playlistNotCreatedMessage,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Playlist non créée"),
     QT_TRANSLATE_NOOP("kelvane::MPDServerError",
                       "Le serveur MPD n'a pas pu créer la playlist vide.")},
    {nullptr, noSuchPlaylistMessage,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Playlist introuvable"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Cette playlist n'existe pas (ou plus) sur le serveur MPD. La liste de lecture n'a pas "
         "été touchée.")},
    {nullptr, nothingToPlayMessage, QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Rien à lire"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Les titres demandés ne sont plus sur le serveur MPD (album renommé ou déplacé, liste "
         "modifiée par un autre client). La liste de lecture n'a pas été touchée.")},
    {nullptr, notAStreamMessage,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Adresse de flux invalide"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "La station n'a pas donné d'adresse de flux, ou ce n'est pas une adresse que MPD sache "
         "lire (http://…, https://…). Rien n'a été envoyé au serveur ; la liste de lecture n'a "
         "pas été touchée.")},
    {nullptr, mpdc::malformedRecordMessage,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Réponse du serveur illisible"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le serveur a envoyé un élément incomplet (un titre sans chemin, une position sans "
         "identifiant) ; la connexion a été fermée.\n\nVérifiez qu'il s'agit bien d'un serveur "
         "MPD.")},
    {nullptr, mpdc::controlCharacterMessage,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Texte refusé"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le texte contient un caractère de contrôle (saut de ligne, tabulation…) qu'une commande "
         "MPD ne peut pas porter. Rien n'a été envoyé au serveur.")},
    {nullptr, mpdc::tooLongMessage, QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Texte trop long"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le texte dépasse la longueur qu'une commande MPD peut porter. Rien n'a été envoyé au "
         "serveur.")},
    {nullptr, mpdc::answerTooLargeMessage,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Réponse du serveur trop longue"),
     QT_TRANSLATE_NOOP("kelvane::MPDServerError",
                       "Le serveur a envoyé une réponse sans fin ou démesurée ; la connexion a été "
                       "fermée.\n\nVérifiez qu'il s'agit bien d'un serveur MPD.")},
    {nullptr, mpdc::implausibleStatusMessage,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "État du serveur incohérent"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le serveur a annoncé un état impossible (volume, longueur de la file, position dans la "
         "file ou temps écoulé hors limites) ; la connexion a été fermée.\n\nVérifiez qu'il "
         "s'agit bien d'un serveur MPD.")},
};

// A refusal by the server, by its code: what happened in the interface's language; the
// server's own (English) text follows as the detail.
struct Refusal {
    int code;
    const char *title, *hint;
};

const Refusal refusals[] = {
    {mpdc::ServerError::NotList,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Liste de commandes refusée"),
     QT_TRANSLATE_NOOP("kelvane::MPDServerError",
                       "Le serveur MPD n'a pas accepté la liste de commandes envoyée.")},
    {mpdc::ServerError::Arg,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Requête refusée par le serveur"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le serveur MPD juge un paramètre de la commande invalide (un chemin, un nom ou un "
         "nombre).")},
    {mpdc::ServerError::Password,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Mot de passe refusé"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le serveur MPD n'accepte pas ce mot de passe. Vérifiez-le dans les préférences.")},
    {mpdc::ServerError::Permission,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Action non autorisée"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le serveur MPD ne permet pas cette action sans le bon mot de passe. Vérifiez le mot de "
         "passe dans les préférences.")},
    {mpdc::ServerError::UnknownCommand,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Commande inconnue du serveur"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le serveur MPD ne connaît pas cette commande : il est sans doute d'une version plus "
         "ancienne.")},
    {mpdc::ServerError::NoExist,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Introuvable sur le serveur"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le morceau, le dossier ou la playlist demandé n'existe pas (ou plus) sur le serveur "
         "MPD. Si la bibliothèque a changé, mettez à jour la base MPD.")},
    {mpdc::ServerError::PlaylistMax,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Liste trop longue"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "La liste de lecture ou la playlist a atteint la taille maximale que permet le serveur "
         "MPD.")},
    {mpdc::ServerError::System,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Erreur sur le serveur MPD"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le serveur MPD n'a pas pu mener l'action à bien (accès aux fichiers, droits, sortie "
         "audio) ; son journal en dit plus.")},
    {mpdc::ServerError::PlaylistLoad,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Playlist illisible"),
     QT_TRANSLATE_NOOP("kelvane::MPDServerError",
                       "Le serveur MPD n'a pas pu charger cette playlist.")},
    {mpdc::ServerError::UpdateAlready,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Mise à jour déjà en cours"),
     QT_TRANSLATE_NOOP("kelvane::MPDServerError",
                       "Le serveur MPD met déjà sa base à jour. Attendez qu'il ait terminé.")},
    {mpdc::ServerError::PlayerSync,
     QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Lecteur pas prêt"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Le lecteur du serveur MPD n'est pas dans l'état que demande cette action (aucun morceau "
         "en cours, par exemple).")},
    {mpdc::ServerError::Exist, QT_TRANSLATE_NOOP("kelvane::MPDServerError", "Existe déjà"),
     QT_TRANSLATE_NOOP(
         "kelvane::MPDServerError",
         "Un élément de ce nom existe déjà sur le serveur MPD (une playlist, sans doute) : "
         "choisissez un autre nom.")},
};

// The system's own text for an error no row names, in the user's language, as the
// system would have said it: the process keeps its messages in "C" for the protocol.
QString systemText(int error, const QString &fallback) {
    // The character set too: without it the C library spells "é" as "?".
    const locale_t user = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, "", locale_t(nullptr));
    if (!user) return fallback;
    const QString text = QString::fromUtf8(strerror_l(error, user));
    freelocale(user);
    return text.isEmpty() ? fallback : text;
}

} // namespace

MPDServerError &MPDServerError::sMPDServerError() {
    static MPDServerError instance;
    return instance;
}

void MPDServerError::release(MPDErrorDelegate *delegate) {
    if (m_delegate == delegate) m_delegate = nullptr;
}

MPDError MPDServerError::errorFor(const mpdc::Failure &failure) {
    for (const Known &k : known) {
        if ((k.code && k.code(failure)) || failure.message == QLatin1String(k.message))
            return {QCoreApplication::translate("kelvane::MPDServerError", k.title),
                    QCoreApplication::translate("kelvane::MPDServerError", k.detail)};
    }
    if (failure.cause == Cause::Server) {
        for (const Refusal &r : refusals) {
            if (r.code != failure.serverError) continue;
            QString detail = QCoreApplication::translate("kelvane::MPDServerError", r.hint);
            if (!failure.message.isEmpty())
                detail += QCoreApplication::translate("kelvane::MPDServerError",
                                                      "\n\nRéponse du serveur : « %1 »")
                              .arg(failure.message);
            return {QCoreApplication::translate("kelvane::MPDServerError", r.title), detail};
        }
    }
    if (failure.cause == Cause::System && failure.systemError != 0)
        return {systemText(failure.systemError, failure.message), noMoreInformation()};
    return {failure.message, noMoreInformation()};
}

void MPDServerError::send(const mpdc::Connection &connection) {
    report(connection.failure());
}

namespace {
thread_local MPDServerError::Held *held = nullptr;
} // namespace

MPDServerError::Held::Held() : m_outer(held) {
    held = this;
}

MPDServerError::Held::~Held() {
    held = m_outer;
}

void MPDServerError::sendMessage(const QString &message) {
    report(mpdc::Failure::local(message));
}

void MPDServerError::report(const mpdc::Failure &failure) {
    if (!isMainThread()) {
        if (held)
            held->failures << failure;
        else
            postToMainThread([failure] { sMPDServerError().report(failure); });
        return;
    }
    if (m_delegate) m_delegate->onError(errorFor(failure));
}

void MPDServerError::sendOutage(const mpdc::Failure &failure) {
    if (!m_delegate) return;
    MPDError error = errorFor(failure);
    error.outage = true;
    m_delegate->onError(error);
}

} // namespace kelvane
