#include "console/Console.h"
#include "console/ConsoleArguments.h"

#include "console/ConsoleWait.h"
#include "console/ConsoleWriter.h"

#include "core/mpd/MPDSocket.h"
#include "core/settings/SessionServer.h"
#include "core/settings/Setting.h"
#include "desktop/DesktopServices.h"

#include <QCoreApplication>
#include <QTextStream>

namespace kelvane {

Console::Console(QHash<QString, QString> options, QObject *parent)
    : QObject(parent), m_options(std::move(options)) {
    for (auto group :
         {coreCommands(), libraryCommands(), radioCommands(), imageCommands(), playbackCommands()})
        m_commands.insert(m_commands.end(), group.begin(), group.end());
}

Console::~Console() = default;

bool Console::start() {
    // Command line first, then the environment, then the stored settings; none of
    // them is written to the store.
    const auto given = [this](const char *name) -> std::optional<QString> {
        const QString key = QString::fromLatin1(name);
        return m_options.contains(key) ? std::optional<QString>(m_options.value(key))
                                       : std::nullopt;
    };
    QString problem;
    if (!SessionServer::applyOptions(given, &problem)) {
        QTextStream(stderr) << "kelvane: " << problem << '\n';
        return false;
    }
    // The window keeps a stored password in the keyring: the console reads it there too,
    // and (with no window to keep responsive) waits for it here, so the first attempt has
    // it before any command is read. A keyring still silent by then is waited for by the
    // first attempt itself.
    DesktopServices::keepPasswordInKeyring();
    DesktopServices::waitForPassword(keyringWaitMs);

    m_listener = std::make_unique<ConsoleListener>();
    MPDSocket &socket = MPDSocket::sMPDSocket(); // the first connection attempt
    // Made off this thread; the console has no window to keep painting, and its first
    // line is answered on a settled link.
    deliverUntil([&socket] { return socket.link() != MPDSocket::Link::Connecting; },
                 QEvent::MetaCall, QCoreApplication::instance());
    const auto printLink = [](MPDSocket::Link link, const QString &detail) {
        switch (link) {
        case MPDSocket::Link::Up:
            ConsoleWriter::line({QStringLiteral("connection"), QStringLiteral("up"), detail});
            break;
        case MPDSocket::Link::Off:
            ConsoleWriter::line({QStringLiteral("connection"), QStringLiteral("down"), detail});
            break;
        case MPDSocket::Link::Retrying:
            ConsoleWriter::line({QStringLiteral("connection"), QStringLiteral("retry"), detail});
            break;
        case MPDSocket::Link::Connecting:
            break;
        }
    };
    // The first attempt has ended by now: its outcome, then every change.
    if (socket.link() == MPDSocket::Link::Retrying)
        printLink(MPDSocket::Link::Off, socket.lastFailure());
    printLink(socket.link(), socket.linkDetail());
    connect(&socket, &MPDSocket::linkChanged, this, printLink);
    // The modes, at each connection and on every change.
    connect(
        &PlayerEvents::sPlayerEvents(), &PlayerEvents::optionsChanged, this,
        [](const PlayerOptions &o) {
            const auto bit = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
            const QString single = o.single == 2 ? QStringLiteral("oneshot") : bit(o.single == 1);
            ConsoleWriter::line({QStringLiteral("options"), bit(o.random), bit(o.repeat), single,
                                 bit(o.consume), QString::number(o.crossfade),
                                 o.replayGain.isEmpty() ? QStringLiteral("off") : o.replayGain});
        });
    return true;
}

void Console::execute(const QString &rawLine) {
    const consoleargs::Line line = consoleargs::split(rawLine);
    if (line.kind == consoleargs::Line::Kind::Blank) return;
    // Whatever the command prints, and the events it causes meanwhile, leave in one write.
    const ConsoleWriter::Answer answer;
    if (line.kind == consoleargs::Line::Kind::Invalid) {
        ConsoleWriter::line({QStringLiteral("invalid"), line.text});
        return;
    }
    for (const ConsoleCommand &command : m_commands) {
        if (command.name == line.name) {
            command.run(*this, line.argument);
            return;
        }
    }
    ConsoleWriter::line({QStringLiteral("unknown"), line.text});
}

void Console::quit() {
    QCoreApplication::exit(0);
}

} // namespace kelvane
