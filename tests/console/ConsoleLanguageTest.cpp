// The binary picks its language from the desktop's environment, although the process keeps
// its C library's message locale at "C": --help (Qt's own lines too) and the console's
// alerts. The console's words and formats never change.
#include "ConsoleProcess.h"
#include "support/MpdProcess.h"
#include "support/MpdServer.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace kelvane::test {
namespace {

// The language variables of one desktop, and none of the suite's.
QProcessEnvironment desktop(const QString &lang) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *var : {"LC_ALL", "LC_MESSAGES", "LANGUAGE", "LANG"})
        env.remove(QString::fromLatin1(var));
    env.insert(QStringLiteral("LANG"), lang);
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

QString help(const QString &lang, const QStringList &arguments = {QStringLiteral("--help")}) {
    QProcess process;
    process.setProcessEnvironment(desktop(lang));
    process.start(qEnvironmentVariable("KELVANE_BINARY"), arguments);
    if (!process.waitForFinished(30000)) return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(ConsoleLanguage, HelpFollowsTheDesktopLanguageQtLinesIncluded) {
    const QString english = help(QStringLiteral("en_US.UTF-8"));
    EXPECT_TRUE(english.startsWith(QStringLiteral("Usage: "))) << english.toStdString();
    EXPECT_TRUE(english.contains(QStringLiteral("MPD server for this session.")));
    EXPECT_TRUE(english.contains(QStringLiteral("Displays version information.")));
    EXPECT_FALSE(english.contains(QStringLiteral("Serveur MPD pour cette session.")));

    const QString french = help(QStringLiteral("fr_FR.UTF-8"));
    EXPECT_TRUE(french.startsWith(QStringLiteral("Utilisation : "))) << french.toStdString();
    EXPECT_TRUE(french.contains(QStringLiteral("Serveur MPD pour cette session.")));
    EXPECT_TRUE(french.contains(QStringLiteral("Afficher les informations de version.")));
    EXPECT_TRUE(french.contains(QStringLiteral("Sans fenêtre : une ligne par événement")));

    // No language chosen (C), or one we lack: the original French.
    EXPECT_EQ(help(QStringLiteral("C")), french);
    EXPECT_EQ(help(QStringLiteral("de_DE.UTF-8")), french);
    // The console's own --help is the same text.
    EXPECT_EQ(help(QStringLiteral("en_US.UTF-8"),
                   {QStringLiteral("--console"), QStringLiteral("--help")}),
              english);
}

TEST(ConsoleLanguage, AlertsAreEnglishUnderAnEnglishDesktopAndTheWordsStay) {
    // A port nothing listens on: the connection is refused.
    const quint16 port = mpdprocess::freePort();
    ConsoleProcess console({QStringLiteral("--port"), QString::number(port)},
                           {{QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8")},
                            {QStringLiteral("LANGUAGE"), QString()},
                            {QStringLiteral("LC_MESSAGES"), QString()}});
    EXPECT_TRUE(
        console.waitForLine(QStringLiteral("error\t"))
            .startsWith(QStringLiteral("error\tConnection refused\t1. Check that the "
                                       "server can be reached and that MPD is running.\\n2.")));
    console.send(QStringLiteral("no-such-command"));
    EXPECT_EQ(console.waitForLine(QStringLiteral("unknown\t")),
              QStringLiteral("unknown\tno-such-command"));
    console.send(QStringLiteral("quit"));
    ASSERT_TRUE(console.waitForExit());
    EXPECT_EQ(console.process().exitCode(), 0);
}

} // namespace
} // namespace kelvane::test
