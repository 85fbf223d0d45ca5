#include "console/Console.h"

#include "console/ConsoleWriter.h"

#include <QCoreApplication>

namespace kelvane {

Console::Console(QHash<QString, QString> options, QObject *parent)
    : QObject(parent), m_options(std::move(options))
{
    for (auto group : {coreCommands(), libraryCommands(), radioCommands(), imageCommands()})
        m_commands.insert(m_commands.end(), group.begin(), group.end());
}

Console::~Console() = default;

void Console::execute(const QString &rawLine)
{
    QString line = rawLine;
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    if (line.trimmed().isEmpty())
        return;
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    const QString name = space < 0 ? line : line.left(space);
    const QString argument = space < 0 ? QString() : line.mid(space + 1);
    for (const ConsoleCommand &command : m_commands) {
        if (command.name == name) {
            command.run(*this, argument);
            return;
        }
    }
    ConsoleWriter::line({QStringLiteral("unknown"), line});
}

void Console::quit()
{
    QCoreApplication::exit(0);
}

} // namespace kelvane
