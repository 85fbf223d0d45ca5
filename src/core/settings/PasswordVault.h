#pragma once

#include <QString>
#include <functional>

namespace kelvane {

// Where the MPD password is kept when not in the settings file: the desktop's keyring.
// A keyring may take the user's time (one to create, one to unlock behind a prompt), so
// every call answers later, once, on the caller's thread, whenever the keyring does; the
// calls are carried out in the order made. Thread: the one Setting lives on.
class PasswordVault {
  public:
    // Failed: the keyring is there but refused or broke (a prompt dismissed).
    enum class Result { Ok, NotFound, Failed };
    using Done = std::function<void(Result result, const QString &password)>;
    virtual ~PasswordVault() = default;
    // Whether a keyring service is there at all, running or startable on demand; asked
    // without starting one.
    virtual bool isPresent() = 0;
    virtual void read(Done done) = 0;
    virtual void write(const QString &password, Done done) = 0;
    virtual void remove(Done done) = 0;
};

} // namespace kelvane
