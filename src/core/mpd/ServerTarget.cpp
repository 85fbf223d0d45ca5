#include "core/mpd/ServerTarget.h"

#include "core/settings/ServerAddress.h"
#include "core/settings/Setting.h"

namespace kelvane {

ServerTarget ServerTarget::fromSettings() {
    const Setting &setting = Setting::sSetting();
    return {setting.connectionHost(), setting.port(), setting.connectionPassword()};
}

QString ServerTarget::label() const {
    return serveraddress::label(host, port);
}

} // namespace kelvane
