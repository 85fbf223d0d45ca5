#include "support/MpdServer.h"

#include "support/MpdProcess.h"
#include "support/MpdProtocol.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace kelvane::test {

namespace {

QString quoted(const QString &value) {
    QString escaped = value;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + escaped + u'"';
}

QString readLog(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("(no log)");
    return QString::fromUtf8(file.readAll().right(4000));
}

} // namespace

MpdServer::MpdServer(MpdServerOptions options) : m_options(std::move(options)) {
    m_musicDir = m_options.musicDir.isEmpty() ? m_dir.filePath(QStringLiteral("music"))
                                              : QDir(m_options.musicDir).absolutePath();
    QDir().mkpath(m_musicDir);
    QDir().mkpath(playlistDir());
    m_library = std::make_unique<TestLibrary>(m_musicDir);
    start();
}

MpdServer::~MpdServer() {
    stop();
}

QString MpdServer::host() const {
    return QStringLiteral("127.0.0.1");
}

quint16 MpdServer::port() const {
    return m_port;
}

QString MpdServer::musicDir() const {
    return m_musicDir;
}

QString MpdServer::playlistDir() const {
    return m_dir.filePath(QStringLiteral("playlists"));
}

QString MpdServer::socketPath() const {
    return m_dir.filePath(QStringLiteral("socket"));
}

QString MpdServer::logFile() const {
    return m_dir.filePath(QStringLiteral("mpd.log"));
}

TestLibrary &MpdServer::library() {
    return *m_library;
}

bool MpdServer::isRunning() const {
    return m_pid > 0 && mpdprocess::isAlive(m_pid);
}

qint64 MpdServer::pid() const {
    return m_pid;
}

int MpdServer::commandCount(const QString &name) const {
    QFile log(logFile());
    if (!log.open(QIODevice::ReadOnly)) return 0;
    // mpd logs `client: [N] process command "NAME ARGS..."` at the verbose level.
    const QByteArray needle = "process command \"" + name.toUtf8();
    int count = 0;
    for (const QByteArray &line : log.readAll().split('\n')) {
        const qsizetype at = line.indexOf(needle);
        if (at < 0) continue;
        const qsizetype after = at + needle.size();
        if (after == line.size() || line[after] == ' ' || line[after] == '"') ++count;
    }
    return count;
}

void MpdServer::writeConfig() {
    const QString output =
        m_options.withMixer ? QStringLiteral("software") : QStringLiteral("none");
    QString config;
    auto line = [&config](const char *key, const QString &value) {
        config += QLatin1String(key) + u' ' + quoted(value) + u'\n';
    };
    line("music_directory", m_musicDir);
    line("playlist_directory", playlistDir());
    line("db_file", m_dir.filePath(QStringLiteral("database")));
    line("state_file", m_dir.filePath(QStringLiteral("state")));
    line("log_file", logFile());
    if (m_options.verboseLog) line("log_level", QStringLiteral("verbose"));
    line("pid_file", m_dir.filePath(QStringLiteral("pid")));
    line("bind_to_address", host());
    if (m_options.localSocket) line("bind_to_address", socketPath());
    if (!m_options.password.isEmpty()) {
        line("password", m_options.password + QStringLiteral("@read,add,control,admin"));
        line("default_permissions", QString());
    }
    line("port", QString::number(m_port));
    line("auto_update", QStringLiteral("no"));
    line("zeroconf_enabled", QStringLiteral("no"));
    line("filesystem_charset", QStringLiteral("UTF-8"));
    // mpd leaves Comment out by default; the client reads it, so the tests need it.
    line("metadata_to_use", QStringLiteral("+comment"));
    if (m_options.maxOutputBufferKiB > 0)
        line("max_output_buffer_size", QString::number(m_options.maxOutputBufferKiB));
    config +=
        QStringLiteral("audio_output {\n  type \"null\"\n  name \"null\"\n  mixer_type %1\n}\n")
            .arg(quoted(output));
    QFile file(m_dir.filePath(QStringLiteral("mpd.conf")));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(config.toUtf8());
}

void MpdServer::start() {
    if (isRunning()) return;
    if (!m_dir.isValid()) {
        ADD_FAILURE() << "MpdServer: no temporary directory";
        return;
    }
    const QString mpd = QStandardPaths::findExecutable(
        QStringLiteral("mpd"), {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin")});
    if (mpd.isEmpty()) {
        ADD_FAILURE() << "MpdServer: mpd is not installed (apt-get install mpd)";
        return;
    }
    QString failure;
    // A port picked free can be taken again before mpd binds it (tests run in
    // parallel): try a few others before giving up.
    for (int attempt = 0; attempt < 6; ++attempt) {
        if (m_port == 0 || attempt > 0) m_port = mpdprocess::freePort();
        writeConfig();
        QFile::remove(logFile());
        m_pid = mpdprocess::spawn(
            mpd, {QStringLiteral("--no-daemon"), m_dir.filePath(QStringLiteral("mpd.conf"))},
            m_dir.filePath(QStringLiteral("mpd.out")));
        if (m_pid <= 0) {
            failure = QStringLiteral("cannot start %1").arg(mpd);
            break;
        }
        const mpdprocess::Readiness ready = mpdprocess::waitUntilListening(m_pid, m_port, 10000);
        if (ready == mpdprocess::Readiness::Listening) {
            failure.clear();
            break;
        }
        failure = readLog(logFile()) + readLog(m_dir.filePath(QStringLiteral("mpd.out")));
        mpdprocess::terminate(m_pid);
        m_pid = 0;
        if (ready != mpdprocess::Readiness::Exited)
            break; // hung, not a port clash: trying again would hang again
    }
    if (!failure.isEmpty() || m_pid <= 0) {
        ADD_FAILURE() << "MpdServer: mpd did not start: " << failure.toStdString();
        m_pid = 0;
        return;
    }
    if (!m_updatedOnce) {
        m_updatedOnce = true;
        update();
    }
}

namespace {
std::function<void()> &beforeExchange() {
    static std::function<void()> hook;
    return hook;
}
} // namespace

void MpdServer::setBeforeExchange(std::function<void()> hook) {
    beforeExchange() = std::move(hook);
}

void MpdServer::stop() {
    // As a service restart: the client at rest, not in the middle of an exchange.
    if (m_pid > 0 && beforeExchange()) beforeExchange()();
    if (m_pid > 0) mpdprocess::terminate(m_pid);
    m_pid = 0;
}

void MpdServer::update() {
    const QStringList answer = command(QStringLiteral("update"));
    if (answer.value(0).startsWith(QLatin1String("ACK"))) {
        ADD_FAILURE() << "MpdServer: update refused: " << answer.join(u'\n').toStdString();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 600000) { // a 100,000-song library on a busy machine
        const QStringList status = command(QStringLiteral("status"));
        if (status.value(0).startsWith(QLatin1String("ACK"))) {
            ADD_FAILURE() << "MpdServer: status failed: " << status.join(u'\n').toStdString();
            return;
        }
        if (status.filter(QStringLiteral("updating_db:")).isEmpty()) return;
        QThread::msleep(5);
    }
    ADD_FAILURE() << "MpdServer: database update did not finish in 600 s";
}

QStringList MpdServer::command(const QString &line) {
    if (beforeExchange()) beforeExchange()();
    if (m_options.password.isEmpty()) return mpdprotocol::exchange(host(), m_port, line, 10000);
    // One command behind the password, as one request with one final answer.
    return mpdprotocol::exchange(
        host(), m_port,
        QStringLiteral("command_list_begin\npassword %1\n%2\ncommand_list_end")
            .arg(quoted(m_options.password), line),
        10000);
}

void MpdServer::kill() {
    if (m_pid > 0) {
        ::kill(pid_t(m_pid), SIGKILL);
        mpdprocess::terminate(m_pid); // reaps it
    }
    m_pid = 0;
}

void MpdServer::freeze() {
    if (m_pid > 0) ::kill(pid_t(m_pid), SIGSTOP);
}

void MpdServer::thaw() {
    if (m_pid > 0) ::kill(pid_t(m_pid), SIGCONT);
}

QString MpdServer::quote(const QString &argument) {
    return quoted(argument);
}

QString MpdServer::value(const QString &line, const QString &key) {
    const QString prefix = key + QStringLiteral(": ");
    for (const QString &answer : command(line)) {
        if (answer.startsWith(prefix)) return answer.mid(prefix.size());
    }
    return {};
}

QString MpdServer::mpc(const QStringList &args) {
    const QString mpc = QStandardPaths::findExecutable(QStringLiteral("mpc"));
    if (mpc.isEmpty()) {
        ADD_FAILURE() << "MpdServer: mpc is not installed (apt-get install mpc)";
        return {};
    }
    if (beforeExchange()) beforeExchange()();
    QProcess process;
    const QString hostArgument =
        m_options.password.isEmpty() ? host() : m_options.password + u'@' + host();
    process.start(mpc, QStringList{QStringLiteral("-h"), hostArgument, QStringLiteral("-p"),
                                   QString::number(m_port)} +
                           args);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(1000);
        ADD_FAILURE() << "MpdServer: mpc " << args.join(u' ').toStdString() << " did not finish";
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

std::unique_ptr<MpdServer> startStandardServer(MpdServerOptions options) {
    auto server = std::make_unique<MpdServer>(std::move(options));
    if (!server->isRunning()) return server;
    server->library().writeStandard();
    server->update();
    return server;
}

} // namespace kelvane::test
