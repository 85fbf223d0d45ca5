#pragma once

#include "support/Wait.h"

#include <QProcess>
#include <QStringList>

namespace kelvane::test {

// The real `kelvane --console` in a child process, its stdout collected line by line.
class ConsoleProcess {
  public:
    // environment: variables set for this run only (LANG, say), over the suite's own.
    explicit ConsoleProcess(const QStringList &arguments,
                            const QList<std::pair<QString, QString>> &environment = {}) {
        m_process.setProgram(qEnvironmentVariable("KELVANE_BINARY"));
        m_process.setArguments(QStringList{QStringLiteral("--console")} + arguments);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("MPD_HOST"));
        env.remove(QStringLiteral("MPD_PORT"));
        if (!environment.isEmpty()) env.remove(QStringLiteral("LC_ALL"));
        for (const auto &[name, value] : environment)
            env.insert(name, value);
        m_process.setProcessEnvironment(env);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
            m_pending += m_process.readAllStandardOutput();
            qsizetype eol;
            while ((eol = m_pending.indexOf('\n')) >= 0) {
                m_lines << QString::fromUtf8(m_pending.left(eol));
                m_pending.remove(0, eol + 1);
            }
        });
        m_process.start();
        m_process.waitForStarted();
    }
    ~ConsoleProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    void send(const QString &line) { m_process.write((line + QLatin1Char('\n')).toUtf8()); }
    void closeInput() { m_process.closeWriteChannel(); }
    QProcess &process() { return m_process; }
    const QStringList &lines() const { return m_lines; }

    // Waits for a line starting with prefix; answers it, or a null QString.
    QString waitForLine(const QString &prefix, int timeoutMs = 8000) {
        QString found;
        waitUntil(
            [&] {
                for (const QString &l : m_lines)
                    if (l.startsWith(prefix)) return !(found = l).isNull();
                return false;
            },
            timeoutMs);
        return found;
    }
    bool waitForExit(int timeoutMs = 8000) {
        return waitUntil([&] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
    }

  private:
    QProcess m_process;
    QByteArray m_pending;
    QStringList m_lines;
};

} // namespace kelvane::test
