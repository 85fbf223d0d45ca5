// Console input: the split of a stdin line and the argument parsing of every command,
// without a server; and the process's own command line. Checks that what a parser
// accepts is what its command may send on.
#include "FuzzInput.h"

#include "console/ConsoleArguments.h"
#include "mpdc/Arguments.h"

#include <QStringList>

#include <cmath>

using namespace kelvane;
namespace args = kelvane::consoleargs;

namespace {

void noTab(const QString &field, const char *what) {
    fuzz::check(!field.contains(QLatin1Char('\t')), what);
}

void parseEveryCommand(const QString &argument) {
    if (const auto on = args::flag(argument))
        fuzz::check(*on == (argument.trimmed() == QLatin1String("1")), "flag misread");
    if (const auto p = args::position(argument))
        fuzz::check(*p >= 0 && *p <= 999999999, "position out of range");
    (void)args::unsignedNumber(argument);
    if (const auto mode = args::single(argument))
        fuzz::check(*mode >= 0 && *mode <= 2, "single mode out of range");
    if (const auto seconds = args::crossfade(argument))
        fuzz::check(*seconds <= 3600, "crossfade over an hour");
    if (const auto mode = args::replayGain(argument))
        fuzz::check(!mode->isEmpty(), "empty replay gain mode");
    (void)args::output(argument);
    if (const auto fromTo = args::move(argument))
        fuzz::check(fromTo->first >= 0 && fromTo->second >= 0, "negative move");
    if (const auto list = args::positions(argument))
        for (qint32 p : *list)
            fuzz::check(p >= 0, "negative queue position");
    if (const auto names = args::rename(argument)) {
        noTab(names->first, "rename field holds a tab");
        noTab(names->second, "rename field holds a tab");
    }
    if (const auto v = args::volume(argument)) fuzz::check(*v <= 100, "volume over 100");
    if (const auto s = args::seconds(argument))
        fuzz::check(std::isfinite(*s) && *s >= 0, "seek to a place that is not one");
    if (const auto choice = args::albumChoice(argument)) {
        noTab(choice->artist, "album field holds a tab");
        noTab(choice->album, "album field holds a tab");
    }
    if (const auto chosen = args::playlistPosition(argument))
        noTab(chosen->first, "playlist name holds a tab");
    const auto [url, name] = args::radioPage(argument);
    noTab(url, "radio address holds a tab");
    fuzz::check(!name.isNull(), "radio page name null");
    // Free-text commands hand the argument to the connection, which must refuse
    // anything that would break the command line.
    const mpdc::ArgumentProblem problem = mpdc::checkArguments({argument});
    bool control = false;
    for (QChar c : argument)
        control = control || c.unicode() < 0x20 || c.unicode() == 0x7f;
    if (control)
        fuzz::check(problem == mpdc::ArgumentProblem::ControlCharacter,
                    "a control character would be sent");
    else if (argument.toUtf8().size() + 3 > mpdc::maxCommandLineBytes)
        fuzz::check(problem == mpdc::ArgumentProblem::TooLong, "an overlong line would be sent");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString input = fuzz::text(data, size);
    const args::Line line = args::split(input);
    switch (line.kind) {
    case args::Line::Kind::Blank:
        fuzz::check(line.text.trimmed().isEmpty(), "a line with text taken as blank");
        break;
    case args::Line::Kind::Invalid:
        fuzz::check(line.text.contains(QChar(0)), "a line refused without a NUL");
        break;
    case args::Line::Kind::Command:
        fuzz::check(!line.name.contains(QLatin1Char(' ')), "a command name with a space");
        fuzz::check(!line.text.contains(QChar(0)), "a NUL reached a command");
        fuzz::check(line.argument.isNull()
                        ? line.name == line.text
                        : line.name + QLatin1Char(' ') + line.argument == line.text,
                    "the split lost characters");
        parseEveryCommand(line.argument);
        break;
    }
    // The same text as the process's arguments, one per line.
    const QStringList argv =
        QStringList{QStringLiteral("kelvane")} + input.split(QLatin1Char('\n'));
    const QHash<QString, QString> options = args::options(argv);
    fuzz::check(options.size() < argv.size(), "more options than arguments");
    return 0;
}
