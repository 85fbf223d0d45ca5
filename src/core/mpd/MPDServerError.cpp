#include "core/mpd/MPDServerError.h"

#include "mpdc/Connection.h"

#include <QCoreApplication>
#include <QThread>

namespace kelvane {

MPDServerError &MPDServerError::sMPDServerError()
{
    static MPDServerError instance;
    return instance;
}

void MPDServerError::release(MPDErrorDelegate *delegate)
{
    if (m_delegate == delegate)
        m_delegate = nullptr;
}

MPDError MPDServerError::errorFor(const QString &message)
{
    struct Known {
        const char *message, *title, *detail;
    };
    static const Known known[] = {
        {"Connection closed by the server", "Connexion fermée par le serveur",
         "Le serveur MPD ne répond plus.\n\n Vérifiez qu'il n'a pas été tué et que la connexion n'a pas de problème."},
        {"Connection reset by peer", "Réinitialisation de la connexion",
         "1. Vérifiez que le serveur MPD est joignable et le service toujours actif.\n\n2. Vérifiez que la connexion "
         "réseau est fiable."},
        {"Connection refused", "Connexion rejetée",
         "1. Vérifiez que le serveur est joignable et que MPD est actif.\n2. Vérifiez qu'un firewall ne bloque pas la "
         "connexion.\n3. Vérifiez votre connexion réseau."},
    };
    for (const Known &k : known)
        if (message == QLatin1String(k.message))
            return {QString::fromUtf8(k.title), QString::fromUtf8(k.detail)};
    return {message, QStringLiteral("pas d'information complémentaire")};
}

void MPDServerError::send(const mpdc::Connection &connection)
{
    sendMessage(connection.errorMessage());
}

void MPDServerError::sendMessage(const QString &message)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(app, [message] { sMPDServerError().sendMessage(message); }, Qt::QueuedConnection);
        return;
    }
    if (m_delegate)
        m_delegate->onError(errorFor(message));
}

} // namespace kelvane
