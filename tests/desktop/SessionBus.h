#pragma once

// A private session bus for one test suite: a dbus-daemon of our own (never the user's),
// its address, connections to it, and command-line clients pointed at it.
#include "support/Wait.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace kelvane::test {

class SessionBus {
  public:
    // No service directories but serviceDir (none by default): nothing on the machine (a
    // keyring, a notification daemon) is started on demand; a test has exactly the peers
    // it starts or describes there.
    explicit SessionBus(const QString &serviceDir = {}) {
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly))
            ADD_FAILURE() << "cannot write the bus configuration";
        config.write(
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig><type>session</type>"
            "<listen>unix:dir=" +
            m_dir.path().toUtf8() +
            "</listen>"
            "<auth>EXTERNAL</auth>" +
            (serviceDir.isEmpty()
                 ? QByteArray()
                 : QByteArray("<servicedir>" + serviceDir.toUtf8() + "</servicedir>")) +
            "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
            "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        m_daemon.setProgram(QStringLiteral("dbus-daemon"));
        m_daemon.setArguments({QStringLiteral("--config-file=") + config.fileName(),
                               QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                               QStringLiteral("--print-address=1")});
        m_daemon.start();
        if (!m_daemon.waitForStarted(5000)) {
            ADD_FAILURE() << "dbus-daemon does not start";
            return;
        }
        waitUntil(
            [this] { return m_daemon.canReadLine() || m_daemon.state() != QProcess::Running; },
            5000);
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        if (m_address.isEmpty()) ADD_FAILURE() << "dbus-daemon gave no address";
    }
    ~SessionBus() {
        for (const QString &name : m_names)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(2000)) m_daemon.kill();
        m_daemon.waitForFinished(2000);
    }
    SessionBus(const SessionBus &) = delete;
    SessionBus &operator=(const SessionBus &) = delete;

    QString address() const { return m_address; }
    qint64 daemonPid() const { return m_daemon.processId(); }

    // A new connection of this process, under a name of its own.
    QDBusConnection connect(const QString &name) {
        m_names << name;
        return QDBusConnection::connectToBus(m_address, name);
    }

    struct Run {
        int exitCode = -1;
        QString out, err;
    };
    // Runs a client on this bus while our event loop keeps turning: the client waits on
    // answers that this very process gives.
    Run run(const QString &program, const QStringList &arguments, int timeoutMs = 10000) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        Run result;
        if (!process.waitForStarted(5000)) {
            result.err = program + QStringLiteral(" does not start");
            return result;
        }
        waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(2000);
            result.err = program + QStringLiteral(" timed out");
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        result.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
        return result;
    }
    Run playerctl(const QStringList &arguments) {
        return run(QStringLiteral("playerctl"),
                   QStringList{QStringLiteral("-p"), QStringLiteral("kelvane")} + arguments);
    }

  private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};

} // namespace kelvane::test
