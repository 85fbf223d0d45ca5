#include "core/settings/SessionServer.h"

#include "core/settings/ServerAddress.h"
#include "core/settings/Setting.h"

#include <QCoreApplication>

namespace kelvane {

std::optional<SessionServer> SessionServer::from(const Inputs &in, QString *problem) {
    SessionServer out;
    if (!in.envHost.isEmpty()) {
        serveraddress::HostAndPassword parsed = serveraddress::parseMpdHost(in.envHost);
        out.host = parsed.host;
        out.password = parsed.password;
    }
    if (in.hostOption) {
        out.host = *in.hostOption;
        out.password.reset(); // MPD_HOST's password belongs to MPD_HOST's server
    }
    if (out.host && out.host->isEmpty()) {
        *problem = QCoreApplication::translate("kelvane::SessionServer", "adresse du serveur vide");
        return std::nullopt;
    }
    const QString portText = in.portOption ? *in.portOption : in.envPort;
    if (in.portOption || !portText.isEmpty()) {
        quint32 value = 0;
        if (!Setting::parsePort(portText, &value)) {
            *problem =
                QCoreApplication::translate("kelvane::SessionServer", "port invalide : « %1 »")
                    .arg(portText);
            return std::nullopt;
        }
        out.port = value;
    }
    if (in.coverOption) {
        if (in.coverOption->isEmpty()) {
            *problem =
                QCoreApplication::translate("kelvane::SessionServer", "serveur de pochettes vide");
            return std::nullopt;
        }
        out.coverHost = *in.coverOption;
    }
    return out;
}

void SessionServer::apply() const {
    Setting &setting = Setting::sSetting();
    if (host || port) setting.setSessionServer(host, port);
    if (password) setting.setSessionPassword(password);
    if (coverHost) setting.setSessionHTTP(coverHost);
}

bool SessionServer::applyOptions(const Option &option, QString *problem) {
    const std::optional<SessionServer> session =
        from({option("host"), option("port"), option("cover-host"),
              qEnvironmentVariable("MPD_HOST"), qEnvironmentVariable("MPD_PORT")},
             problem);
    if (!session) return false;
    session->apply();
    if (const auto radioBase = option("radio-base"); radioBase && !radioBase->isEmpty())
        Setting::sSetting().setSessionRadioBase(*radioBase);
    return true;
}

} // namespace kelvane
