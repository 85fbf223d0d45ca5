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
    m_vault.reset();
    if (!vault) return;
    if (m_passInFile && m_pass) {
        if (vault->write(*m_pass) != PasswordVault::Result::Ok)
            return; // no keyring: the file keeps it
        removeKey(kPass);
        m_passInFile = false;
        m_vault = std::move(vault);
        return;
    }
    QString password;
    switch (vault->read(&password)) {
    case PasswordVault::Result::Ok:
        if (!password.isEmpty()) m_pass = password;
        break;
    case PasswordVault::Result::NotFound:
        break;
    case PasswordVault::Result::Unavailable:
        return;
    }
    m_vault = std::move(vault);
}

void Setting::setPass(const QString &pass) {
    m_pass = pass;
    if (m_vault && m_vault->write(pass) == PasswordVault::Result::Ok) {
        if (m_passInFile) removeKey(kPass);
        m_passInFile = false;
        return;
    }
    // No keyring answers: the settings file, which only the user can read.
    writeText(kPass, pass);
    m_passInFile = true;
}

void Setting::unsetPass() {
    m_pass.reset();
    if (m_vault) m_vault->remove();
    removeKey(kPass);
    m_passInFile = false;
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
