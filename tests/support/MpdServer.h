#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include "support/TestLibrary.h"

namespace kelvane::test {

struct MpdServerOptions {
    bool withMixer = true; // false: mixer_type "none": status has no volume line (libmpdclient: -1)
    QString musicDir = {}; // empty: a music directory in the server's own temporary directory
    int maxOutputBufferKiB = 0; // 0: mpd's default
    QString password = {};      // non-empty: every command needs it (the harness sends it)
    bool localSocket = false;   // also listen on socketPath()
    bool verboseLog = false;    // every command the server processes is logged (commandCount)
};

// A private, real mpd (/usr/bin/mpd) on 127.0.0.1 at a free port, with a null audio
// output that plays in real time, its own temporary directory (database, state,
// playlists, log) and no automatic database update. The child is ours by pid: it is
// stopped with SIGTERM (SIGKILL after 2 s) by stop() and the destructor, and it gets
// SIGKILL if the thread that started it dies first.
// Used from the test's thread; the setup helpers block (they talk the raw protocol over
// a socket of their own, independent of the code under test).
class MpdServer {
  public:
    // Starts the server and runs a first database update. When mpd cannot start, the
    // test gets a failure (ADD_FAILURE, with mpd's log) and isRunning() is false.
    explicit MpdServer(MpdServerOptions options = {});
    ~MpdServer();
    MpdServer(const MpdServer &) = delete;
    MpdServer &operator=(const MpdServer &) = delete;

    QString host() const; // "127.0.0.1"
    quint16 port() const;
    QString musicDir() const;
    QString playlistDir() const;
    QString logFile() const;
    QString socketPath() const; // the local socket (localSocket option)
    TestLibrary &library();     // writes into musicDir()
    bool isRunning() const;
    qint64 pid() const; // 0 when stopped

    // Starts again with the same port (a fresh one only if that port was taken
    // meanwhile), directories, database and state file. The database is updated only
    // on the very first start: after writing files, call update().
    void start();
    void stop();
    // SIGKILL, as a crash or a power cut would end it.
    void kill();
    // SIGSTOP / SIGCONT: a server that hangs, then comes back.
    void freeze();
    void thaw();
    // "update", then wait until the database update has finished.
    void update();

    // Called before every command(), mpc() and stop(): the suite lets the client's
    // commands that are still on their way reach the server first (TestMain), so what a
    // test reads here is what the server holds after them, and a stop meets a client at
    // rest.
    static void setBeforeExchange(std::function<void()> hook);

    // One raw protocol exchange (a line, or several joined by "\n" such as a command
    // list): the response lines without the final "OK"; {"ACK ..."} when the server
    // refuses; {"ACK [harness] ..."} when it cannot be reached or does not answer in
    // 10 s. Binary payloads (albumart, readpicture) are skipped; their "binary: N" line
    // stays.
    QStringList command(const QString &line);
    // An argument for command(): in double quotes, with " and \ escaped.
    static QString quote(const QString &argument);
    // The value of key in the answer of command(line), or a null QString.
    QString value(const QString &line, const QString &key);
    // How many commands named `name` the server has processed so far, read from its log
    // (needs the verboseLog option).
    int commandCount(const QString &name) const;
    // `mpc -h 127.0.0.1 -p PORT args...`; its standard output. ADD_FAILURE when mpc is missing.
    QString mpc(const QStringList &args);

  private:
    bool spawn();
    bool waitUntilReady(QString &failure);
    void writeConfig();

    MpdServerOptions m_options;
    QTemporaryDir m_dir;
    QString m_musicDir;
    std::unique_ptr<TestLibrary> m_library;
    quint16 m_port = 0;
    qint64 m_pid = 0;
    bool m_updatedOnce = false;
};

// A server whose library is TestLibrary::writeStandard(), updated and ready.
std::unique_ptr<MpdServer> startStandardServer(MpdServerOptions options = {});

} // namespace kelvane::test
