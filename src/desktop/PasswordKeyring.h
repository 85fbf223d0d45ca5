#pragma once

#include "core/settings/PasswordVault.h"

namespace kelvane {

// The MPD password in the desktop keyring (Secret Service, through QtKeychain), under
// the service "Kelvane". Each call waits for the keyring in a local event loop, at most
// timeoutMs; no keyring on the bus, or none answering, is Unavailable. GUI thread.
class PasswordKeyring : public PasswordVault {
  public:
    explicit PasswordKeyring(int timeoutMs = 5000) : m_timeoutMs(timeoutMs) {}
    Result read(QString *password) override;
    Result write(const QString &password) override;
    Result remove() override;

  private:
    int m_timeoutMs;
};

} // namespace kelvane
