#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace kelvane {

// Tells when the stored password's place changes without anyone asking: a keyring that
// answers late. GUI thread.
class PasswordEvents : public QObject {
    Q_OBJECT
  Q_SIGNALS:
    void changed();
};

// The six connection values the user configures, kept in memory for fast reads and
// written through to the per-user store (QSettings, organisation "Kelvane") at once.
// GUI thread. Calling sSetting() never reloads; reload() is the "construct again" of
// the preferences window and of the socket's first creation.
class PasswordVault;

class Setting {
  public:
    static Setting &sSetting();
    ~Setting();
    // Re-reads the store; fields of unset optional keys keep what they held.
    Setting &reload();

    QString host() const;
    void setHost(const QString &host);
    quint32 port() const;
    void setPort(quint32 port);

    QString user() const { return m_user.value_or(QString(QLatin1String(""))); }
    void setUser(const QString &user);
    void unsetUser();
    QString pass() const { return m_pass.value_or(QString(QLatin1String(""))); }
    void setPass(const QString &pass);
    void unsetPass();
    // Keeps the password in this vault (the desktop's keyring) from now on. Nothing is
    // asked of it unless a password is stored or being saved, so a keyring that is not
    // running is never started for nothing. A password the file still holds (an earlier
    // version, or a session without a keyring, wrote it there) moves into the vault and
    // leaves the file once the vault has it; one the vault holds (the settings keep a
    // marker saying so) is read, and the first connection waits for it. With no keyring
    // service at all the vault is dropped, and the password stays in the (private)
    // settings file.
    void useVault(std::unique_ptr<PasswordVault> vault);
    bool hasVault() const { return m_vault != nullptr; }
    // A password is stored and lies in the settings file rather than a keyring.
    bool passwordInClear() const { return hasPass() && m_passInFile; }
    // Stored password or nothing: a stored password is sent right after connecting.
    bool hasPass() const { return m_pass.has_value() && !m_pass->isEmpty(); }

    enum class PasswordPlace {
        None,    // no password stored
        File,    // in the settings file: no keyring service
        Keyring, // in the keyring; the file holds only the marker
        Reading, // in the keyring, on its way from it (a keyring to unlock)
        Saving,  // on its way into the keyring (a keyring to create or unlock)
        NotKept, // the keyring refused it: it holds for this session only
        Unread,  // in the keyring, which did not give it this time
    };
    PasswordPlace passwordPlace() const;
    // The stored password is still on its way from the keyring.
    bool passwordPending() const { return m_reading; }
    // The settings say the keyring holds the password.
    bool passwordInKeyring() const { return m_passInKeyring; }
    // Runs then once the stored password is known (at once when it is), while context
    // lives.
    void whenPasswordKnown(QObject *context, std::function<void()> then);
    PasswordEvents &passwordEvents() { return m_passwordEvents; }

    std::optional<QString> hostHTTP() const { return m_sessionHTTP ? m_sessionHTTP : m_hostHTTP; }
    void setHTTP(const QString &host);
    void unsetHTTP();
    std::optional<QString> argsPHP() const { return m_argsPHP; }
    void setPHP(const QString &args);
    void unsetPHP();

    // Covers read from the MPD server itself (key "mpdCovers") when the web server has
    // none; on unless the user turned it off.
    bool mpdCovers() const { return m_mpdCovers; }
    void setMPDCovers(bool on);
    // "Notifier le changement de morceau" (key "notifyTrackChange"), off by default.
    bool notifyTrackChange() const;
    void setNotifyTrackChange(bool on);
    // What the window remembers between runs (geometry, fold state, last view), under
    // "window/" in the same store; an invalid value when never written.
    QVariant windowValue(const QString &key) const;
    void setWindowValue(const QString &key, const QVariant &value);

    // Base address of the online radio directory (key "radioBase"); not part of the
    // preferences window, so it has a fixed default.
    QString radioBase() const;

    // Host and port for this process only (command line, environment, the demo
    // server): they win over the store and are never written to it.
    // What the store holds, without this session's overrides: the preferences window
    // edits these, so saving never writes a command-line server into the store.
    QString storedHost() const { return m_host; }
    quint32 storedPort() const { return m_port; }
    std::optional<QString> storedHostHTTP() const { return m_hostHTTP; }

    void setSessionServer(const std::optional<QString> &host, const std::optional<quint32> &port);
    // A password for this process only (MPD_HOST="secret@host"); never stored.
    void setSessionPassword(const std::optional<QString> &password) { m_sessionPass = password; }
    // Where to connect: this session's host, else the stored one, else (nothing
    // configured at all) the user's own mpd socket when it exists, else the default
    // host. A "~/" path is expanded.
    QString connectionHost() const;
    // The password sent right after connecting, if any: this session's, else the stored one.
    std::optional<QString> connectionPassword() const;
    void setSessionRadioBase(const std::optional<QString> &base);
    // Cover web server ("host" or "host:port") for this process only.
    void setSessionHTTP(const std::optional<QString> &host) { m_sessionHTTP = host; }

    static bool isValidIP(const QString &text);
    // A port as typed: decimal digits only (leading zeros allowed), 1 to 65535.
    static bool parsePort(const QString &text, quint32 *port);

    static constexpr quint32 defaultPort = 6600;
    static QString defaultHost() { return QStringLiteral("127.0.0.1"); }
    static QString defaultRadioBase() { return QStringLiteral("http://opml.radiotime.com/"); }

  private:
    Setting();
    std::optional<QString> readText(const QString &key) const;
    void writeText(const QString &key, const QString &value);
    void removeKey(const QString &key);
    void setPassInKeyring(bool inKeyring);
    void readFromVault();
    void saveInVault(const QString &pass, bool movingFromFile);
    void passwordKnown();

    std::unique_ptr<QSettings> m_store;
    QString m_host;
    quint32 m_port = defaultPort;
    std::optional<QString> m_user, m_pass, m_hostHTTP, m_argsPHP, m_radioBase;
    std::optional<QString> m_sessionHost, m_sessionRadioBase, m_sessionHTTP;
    std::optional<quint32> m_sessionPort;
    std::optional<QString> m_sessionPass;
    bool m_hostStored = false;
    bool m_mpdCovers = true;
    std::unique_ptr<PasswordVault> m_vault;
    quint64 m_vaultGeneration = 0; // answers of a vault given up are dropped
    bool m_passInFile = false;
    bool m_passInKeyring = false; // the marker: the keyring holds the password
    bool m_reading = false;
    int m_saving = 0; // writes under way
    enum class Trouble { None, NotKept, Unread } m_trouble = Trouble::None;
    QList<std::pair<QPointer<QObject>, std::function<void()>>> m_whenKnown;
    PasswordEvents m_passwordEvents;
};

} // namespace kelvane
