#pragma once

#include "console/ConsoleCommand.h"

#include "console/ConsoleListener.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace kelvane {

// The headless front end (GUI thread): one command per stdin line, one event per
// stdout line. Holds the options the command line gave, for the command groups.
class Console : public QObject {
    Q_OBJECT
  public:
    explicit Console(QHash<QString, QString> options, QObject *parent = nullptr);
    ~Console() override;

    // "--name value" options of the command line, without the dashes ("host", "port",
    // "radio-base"); a null QString when absent.
    QString option(const QString &name) const { return m_options.value(name); }

    // Applies the server options, registers the listener and makes the first
    // connection attempt; false (after a message on stderr) for a malformed option.
    bool start();

    // Runs one input line; unknown commands print "unknown<TAB>line", a line holding a
    // NUL "invalid<TAB>line". What it prints is written in one go when it returns.
    void execute(const QString &line);
    void quit();

    // How long the first connection attempt waits for a password the keyring holds (a
    // prompt may be up) before the commands are read without it.
    static constexpr int keyringWaitMs = 30000;

  private:
    QHash<QString, QString> m_options;
    std::vector<ConsoleCommand> m_commands;
    std::unique_ptr<ConsoleListener> m_listener;
};

} // namespace kelvane
