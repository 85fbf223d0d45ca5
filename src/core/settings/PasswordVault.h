#pragma once

#include <QString>

namespace kelvane {

// Where the MPD password is kept when not in the settings file: the desktop's keyring.
// Each call answers once the keyring has (bounded by the implementation's time-out).
// Thread: the one Setting lives on.
class PasswordVault {
  public:
    enum class Result { Ok, NotFound, Unavailable };
    virtual ~PasswordVault() = default;
    virtual Result read(QString *password) = 0;
    virtual Result write(const QString &password) = 0;
    virtual Result remove() = 0;
};

} // namespace kelvane
