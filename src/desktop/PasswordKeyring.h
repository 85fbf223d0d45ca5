#pragma once

#include "core/settings/PasswordVault.h"

namespace kelvane {

// The MPD password in the desktop keyring (Secret Service, or KWallet, through
// QtKeychain), under the service "Kelvane". Calls never wait: each answers when the
// keyring does, however long a prompt keeps it (QtKeychain runs them one after the
// other). Where no keyring service is on the session bus, running or startable, a call
// fails at once without asking the bus to start anything. GUI thread.
class PasswordKeyring : public PasswordVault {
  public:
    bool isPresent() override;
    void read(Done done) override;
    void write(const QString &password, Done done) override;
    void remove(Done done) override;
};

} // namespace kelvane
