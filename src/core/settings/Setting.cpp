#include "core/settings/Setting.h"

#include "core/settings/PasswordVault.h"
#include "core/settings/ServerAddress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane {

namespace {
const QString kHost = QStringLiteral("host");
const QString kPort = QStringLiteral("port");
const QString kUser = QStringLiteral("user");
const QString kPass = QStringLiteral("pass");
const QString kHTTP = QStringLiteral("HTTP");
const QString kPHP = QStringLiteral("PHP");
const QString kMPDCovers = QStringLiteral("mpdCovers");
const QString kRadioBase = QStringLiteral("radioBase");
const QString kNotify = QStringLiteral("notifyTrackChange");
// No secret: only that the keyring holds the password, so it is asked at start only then.
const QString kPassInKeyring = QStringLiteral("passInKeyring");

// The integer value of a text: leading blanks, an optional sign, then digits up to
// the first other character; 0 when there are none. Values past 32 bits saturate.
quint32 leadingInteger(const QString &text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    quint64 value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        value = std::min<quint64>(value * 10 + quint64(text[i].unicode() - '0'), 0xFFFFFFFFull);
    return negative ? quint32(-qint64(value)) : quint32(value);
}
} // namespace

Setting &Setting::sSetting() {
    static Setting instance;
    return instance;
}

namespace {
// The store holds the server's password: only its owner may read it. QSettings saves
// through a new file that takes the old one's permissions, so the file is made private
// before anything is written to it, and kept so if an older version left it open.
void keepPrivate(const QString &path) {
    if (path.isEmpty()) return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
    ::chmod(name.constData(), 0600);
}
} // namespace

Setting::Setting()
    : m_store(std::make_unique<QSettings>(QStringLiteral("Kelvane"), QStringLiteral("Kelvane"))) {
    keepPrivate(m_store->fileName());
    reload();
}

Setting::~Setting() = default;

Setting &Setting::reload() {
    m_store->sync();
    const std::optional<QString> host = readText(kHost);
    m_hostStored = host.has_value();
    m_host = host.value_or(defaultHost());
    const std::optional<QString> port = readText(kPort);
    m_port = (!port || port->isEmpty()) ? defaultPort : leadingInteger(*port);
    // Optional texts: an empty stored value leaves the field as it was.
    for (auto [key, field] : {std::pair{kUser, &m_user},
                              {kPass, &m_pass},
                              {kHTTP, &m_hostHTTP},
                              {kPHP, &m_argsPHP},
                              {kRadioBase, &m_radioBase}}) {
        const std::optional<QString> value = readText(key);
        if (value && !value->isEmpty()) *field = *value;
    }
    // Anything but a stored "false" keeps covers from the server on: a broken value
    // must not silently take them away.
    const QVariant covers = m_store->value(kMPDCovers);
    m_mpdCovers =
        !(covers.isValid() && covers.toString().trimmed().toLower() == QLatin1String("false"));
    const std::optional<QString> filePass = readText(kPass);
    m_passInFile = filePass && !filePass->isEmpty();
    m_passInKeyring = m_store->value(kPassInKeyring).toString() == QLatin1String("true");
    return *this;
}

std::optional<QString> Setting::readText(const QString &key) const {
    const QVariant value = m_store->value(key);
    // Anything that is not a text counts as absent.
    if (!value.isValid() || value.typeId() != QMetaType::QString) return std::nullopt;
    return value.toString();
}

void Setting::writeText(const QString &key, const QString &value) {
    m_store->setValue(key, value);
    m_store->sync();
}

void Setting::removeKey(const QString &key) {
    m_store->remove(key);
    m_store->sync();
}

QString Setting::host() const {
    return m_sessionHost.value_or(m_host);
}
quint32 Setting::port() const {
    return m_sessionPort.value_or(m_port);
}

QString Setting::connectionHost() const {
    if (m_sessionHost) return serveraddress::expandHome(*m_sessionHost);
    if (m_hostStored) return serveraddress::expandHome(m_host);
    return serveraddress::defaultSocket().value_or(defaultHost());
}

std::optional<QString> Setting::connectionPassword() const {
    if (m_sessionPass) return m_sessionPass;
    return hasPass() ? std::optional<QString>(pass()) : std::nullopt;
}

void Setting::setHost(const QString &host) {
    m_host = host;
    m_hostStored = true;
    writeText(kHost, host);
}

void Setting::setPort(quint32 port) {
    m_port = port;
    writeText(kPort, QString::number(port));
}

void Setting::setUser(const QString &user) {
    m_user = user;
    writeText(kUser, user);
}

void Setting::unsetUser() {
    m_user.reset();
    removeKey(kUser);
}

void Setting::useVault(std::unique_ptr<PasswordVault> vault) {
    ++m_vaultGeneration;
    m_vault.reset();
    m_saving = 0;
    m_trouble = Trouble::None;
    if (vault && m_passInFile && hasPass()) {
        // Only where no keyring is to be had at all does the file keep it.
        if (!vault->isPresent()) {
            passwordKnown();
            return;
        }
        m_vault = std::move(vault);
        saveInVault(*m_pass, true);
        passwordKnown();
        return;
    }
    m_vault = std::move(vault);
    if (m_vault && m_passInKeyring && !hasPass())
        readFromVault();
    else
        passwordKnown();
}

void Setting::readFromVault() {
    m_reading = true;
    const quint64 generation = m_vaultGeneration;
    m_vault->read([this, generation](PasswordVault::Result result, const QString &password) {
        if (generation != m_vaultGeneration || !m_reading) return;
        switch (result) {
        case PasswordVault::Result::Ok:
            if (!password.isEmpty()) m_pass = password;
            break;
        case PasswordVault::Result::NotFound:
            // Taken out of the keyring by someone else: nothing is stored any more.
            setPassInKeyring(false);
            break;
        case PasswordVault::Result::Failed:
            m_trouble = Trouble::Unread;
            break;
        }
        passwordKnown();
    });
}

void Setting::saveInVault(const QString &pass, bool movingFromFile) {
    ++m_saving;
    const quint64 generation = m_vaultGeneration;
    m_vault->write(pass, [this, generation, pass, movingFromFile](PasswordVault::Result result,
                                                                  const QString &) {
        if (generation != m_vaultGeneration) return;
        --m_saving;
        // Writes are carried out in order: only the answer for the password stored now
        // (not one changed or removed since) says where it is.
        if (m_pass != pass) return;
        if (result == PasswordVault::Result::Ok) {
            setPassInKeyring(true);
            m_trouble = Trouble::None;
            if (movingFromFile && m_passInFile) {
                removeKey(kPass);
                m_passInFile = false;
            }
        } else if (!m_passInFile) {
            setPassInKeyring(false);
            m_trouble = Trouble::NotKept;
        }
        Q_EMIT m_passwordEvents.changed();
    });
    Q_EMIT m_passwordEvents.changed();
}

void Setting::passwordKnown() {
    m_reading = false;
    const auto waiting = std::exchange(m_whenKnown, {});
    for (const auto &[context, then] : waiting)
        if (context) then();
    Q_EMIT m_passwordEvents.changed();
}

void Setting::whenPasswordKnown(QObject *context, std::function<void()> then) {
    if (m_reading)
        m_whenKnown.append({context, std::move(then)});
    else
        then();
}

void Setting::setPassInKeyring(bool inKeyring) {
    m_passInKeyring = inKeyring;
    if (inKeyring) {
        m_store->setValue(kPassInKeyring, QStringLiteral("true"));
        m_store->sync();
    } else {
        removeKey(kPassInKeyring);
    }
}

Setting::PasswordPlace Setting::passwordPlace() const {
    if (m_reading) return PasswordPlace::Reading;
    if (!hasPass())
        return m_trouble == Trouble::Unread ? PasswordPlace::Unread : PasswordPlace::None;
    if (m_passInFile) return PasswordPlace::File;
    if (m_saving > 0) return PasswordPlace::Saving;
    if (m_passInKeyring && m_trouble == Trouble::None) return PasswordPlace::Keyring;
    return PasswordPlace::NotKept;
}

void Setting::setPass(const QString &pass) {
    // Saving the preferences again with the same password asks nobody anything.
    if (m_pass == pass && !m_reading &&
        (m_passInFile || (m_passInKeyring && m_trouble == Trouble::None) || m_saving > 0))
        return;
    m_pass = pass;
    m_trouble = Trouble::None;
    if (m_reading) {
        // The user's own password wins over the one still on its way.
        m_reading = false;
        passwordKnown();
    }
    if (m_vault && m_vault->isPresent()) {
        // The file never holds a password the keyring holds or is about to: an older one
        // left there goes now, the new one never reaches it.
        if (m_passInFile) {
            removeKey(kPass);
            m_passInFile = false;
        }
        saveInVault(pass, false);
        return;
    }
    // No keyring service at all: the settings file, which only the user can read. A copy
    // the keyring kept from before is stale.
    writeText(kPass, pass);
    m_passInFile = true;
    setPassInKeyring(false);
    Q_EMIT m_passwordEvents.changed();
}

void Setting::unsetPass() {
    m_pass.reset();
    m_trouble = Trouble::None;
    if (m_reading) {
        m_reading = false;
        passwordKnown();
    }
    const bool inVault = m_passInKeyring || m_saving > 0;
    if (m_passInFile || readText(kPass)) removeKey(kPass);
    m_passInFile = false;
    setPassInKeyring(false);
    // Asked only when it holds one, or may be about to.
    if (m_vault && inVault) m_vault->remove([](PasswordVault::Result, const QString &) {});
    Q_EMIT m_passwordEvents.changed();
}

void Setting::setHTTP(const QString &host) {
    m_hostHTTP = host;
    writeText(kHTTP, host);
}

void Setting::unsetHTTP() {
    m_hostHTTP.reset();
    removeKey(kHTTP);
}

void Setting::setPHP(const QString &args) {
    m_argsPHP = args;
    writeText(kPHP, args);
}

void Setting::setMPDCovers(bool on) {
    m_mpdCovers = on;
    m_store->setValue(kMPDCovers, on);
    m_store->sync();
}

void Setting::unsetPHP() {
    m_argsPHP.reset();
    removeKey(kPHP);
}

bool Setting::notifyTrackChange() const {
    return readText(kNotify) == QLatin1String("yes");
}

void Setting::setNotifyTrackChange(bool on) {
    writeText(kNotify, on ? QStringLiteral("yes") : QStringLiteral("no"));
}

QVariant Setting::windowValue(const QString &key) const {
    return m_store->value(QStringLiteral("window/") + key);
}

void Setting::setWindowValue(const QString &key, const QVariant &value) {
    m_store->setValue(QStringLiteral("window/") + key, value);
    m_store->sync();
}

QString Setting::radioBase() const {
    return m_sessionRadioBase.value_or(m_radioBase.value_or(defaultRadioBase()));
}

void Setting::setSessionServer(const std::optional<QString> &host,
                               const std::optional<quint32> &port) {
    m_sessionHost = host;
    m_sessionPort = port;
}

void Setting::setSessionRadioBase(const std::optional<QString> &base) {
    m_sessionRadioBase = base;
}

bool Setting::isValidIP(const QString &text) {
    if (text.contains(QChar(0))) // inet_pton would stop at the NUL and accept the head
        return false;
    const QByteArray utf8 = text.toUtf8();
    in_addr v4{};
    in6_addr v6{};
    return inet_pton(AF_INET, utf8.constData(), &v4) == 1 ||
           inet_pton(AF_INET6, utf8.constData(), &v6) == 1;
}

bool Setting::parsePort(const QString &text, quint32 *port) {
    if (text.isEmpty()) return false;
    quint32 value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
        value = value * 10 + quint32(c.unicode() - '0');
        if (value > 65535) return false;
    }
    // libmpdclient reads port 0 as "the default one", so "0" would quietly reach 6600.
    if (value == 0) return false;
    if (port) *port = value;
    return true;
}

} // namespace kelvane
