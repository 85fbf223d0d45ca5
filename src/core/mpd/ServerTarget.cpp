#include "core/mpd/ServerTarget.h"

#include "core/settings/ServerAddress.h"
#include "core/settings/Setting.h"
#include "mpdc/Connection.h"

namespace kelvane {

ServerTarget ServerTarget::fromSettings() {
    const Setting &setting = Setting::sSetting();
    return {setting.connectionHost(), setting.port(), setting.connectionPassword()};
}

QString ServerTarget::label() const {
    return serveraddress::label(host, port);
}

std::unique_ptr<mpdc::Connection> openConnection(const ServerTarget &target, unsigned timeoutMs) {
    std::unique_ptr<mpdc::Connection> connection =
        mpdc::Connection::open(target.host, target.port, timeoutMs);
    // A refused password makes the connect a failure, rather than a session whose every
    // command is denied; the connection keeps the server's message.
    if (!connection->hasError() && target.password && !target.password->isEmpty())
        connection->password(*target.password);
    return connection;
}

} // namespace kelvane
