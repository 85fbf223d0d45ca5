// Console commands of the radio directory: entity decoding, stream resolution, the
// loader's pages and the navigation state the radio browser drives.
#include "console/Console.h"
#include "console/ConsoleArguments.h"
#include "console/ConsoleCommand.h"
#include "console/ConsoleWait.h"
#include "console/ConsoleWriter.h"
#include "core/radio/HtmlDecode.h"
#include "core/radio/RadioLoader.h"
#include "core/radio/RadioState.h"
#include "core/radio/StreamResolver.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <functional>

namespace kelvane {

namespace {

template <class T> T awaitWorker(std::function<T()> work) {
    QFuture<T> future = QtConcurrent::run(QThreadPool::globalInstance(), std::move(work));
    deliverUntil([&] { return future.isFinished(); }, QEvent::FutureCallOut);
    return future.result();
}

// Each entry as the radio grid shows it: the values of its directory item, where an
// absent name, description or address is "" and an absent logo "null".
void printRadios(const QList<Radio> &radios) {
    for (const Radio &radio : radios) {
        const DirectoryItem item = directoryItem(radio);
        ConsoleWriter::line(
            {QStringLiteral("radio"), item.value(QStringLiteral("isLink")),
             item.value(QStringLiteral("name")), item.value(QStringLiteral("subtext")),
             item.value(QStringLiteral("url")), item.value(QStringLiteral("logo"))});
    }
    ConsoleWriter::end(radios.size());
}

void decodeCommand(Console &, const QString &argument) {
    ConsoleWriter::line({QStringLiteral("decoded"), htmlDecode(argument)});
}

void resolveCommand(Console &, const QString &argument) {
    const QString resolved =
        awaitWorker<QString>([argument] { return StreamResolver::getStreamURL(argument); });
    ConsoleWriter::line({QStringLiteral("resolved"), resolved});
}

void indexCommand(Console &, const QString &) {
    const QString base = RadioLoader::defaultBase();
    printRadios(
        awaitWorker<QList<Radio>>([base] { return RadioLoader::sRadioLoader().getIndex(base); }));
}

void listCommand(Console &, const QString &argument) {
    printRadios(awaitWorker<QList<Radio>>(
        [argument] { return RadioLoader::sRadioLoader().getListOf(argument); }));
}

void searchCommand(Console &, const QString &argument) {
    const QString base = RadioLoader::defaultBase();
    printRadios(awaitWorker<QList<Radio>>(
        [argument, base] { return RadioLoader::sRadioLoader().search(argument, base); }));
}

// Starts a navigation step and prints the page it shows; "absent" when the step
// loads nothing (no page to go back to).
void printNextPage(const std::function<void(RadioState &)> &step) {
    RadioState &state = RadioState::sRadioState();
    bool shown = false;
    QString title;
    const QMetaObject::Connection connection =
        QObject::connect(&state, &RadioState::pageShown,
                         [&](const QString &shownTitle, const QList<DirectoryItem> &) {
                             shown = true;
                             title = shownTitle;
                         });
    step(state);
    if (state.clickLocked()) deliverUntil([&] { return shown; }, QEvent::FutureCallOut);
    QObject::disconnect(connection);
    if (!shown) {
        ConsoleWriter::absent();
        return;
    }
    ConsoleWriter::line({QStringLiteral("radio-page"), title});
    printRadios(state.contentRadio());
}

void openCommand(Console &, const QString &argument) {
    const std::pair<QString, QString> page = consoleargs::radioPage(argument);
    printNextPage([&](RadioState &state) { state.getURLContent(page.first, page.second); });
}

void previousCommand(Console &, const QString &) {
    printNextPage([](RadioState &state) { state.previousButton(); });
}

void historyCommand(Console &, const QString &) {
    const QList<RadioHistoryEntry> history = RadioState::sRadioState().radioNavigationHistorique();
    for (const RadioHistoryEntry &entry : history)
        ConsoleWriter::line({QStringLiteral("history"), entry.url, entry.name});
    ConsoleWriter::end(history.size());
}

constexpr ConsoleCommand commands[] = {
    {QLatin1StringView("decode"), &decodeCommand},
    {QLatin1StringView("resolve"), &resolveCommand},
    {QLatin1StringView("radio-index"), &indexCommand},
    {QLatin1StringView("radio-list"), &listCommand},
    {QLatin1StringView("radio-search"), &searchCommand},
    {QLatin1StringView("radio-open"), &openCommand},
    {QLatin1StringView("radio-previous"), &previousCommand},
    {QLatin1StringView("radio-history"), &historyCommand},
};

} // namespace

std::span<const ConsoleCommand> radioCommands() {
    return commands;
}

} // namespace kelvane
