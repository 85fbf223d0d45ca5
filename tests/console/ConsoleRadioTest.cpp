#include "support/HttpServer.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

using kelvane::test::HttpResponse;
using kelvane::test::HttpServer;

namespace {

QByteArray opml(const QString &outlines) {
    return (QStringLiteral("<opml version=\"1\"><head><status>200</status></head><body>\n") +
            outlines + QStringLiteral("</body></opml>\n"))
        .toUtf8();
}

// Runs "kelvane --console --radio-base base", writes every command at once, closes
// stdin and returns the lines printed.
QStringList runConsole(const QString &base, const QStringList &commands) {
    const QString binary = qEnvironmentVariable("KELVANE_BINARY");
    QProcess process;
    process.start(binary, {QStringLiteral("--console"), QStringLiteral("--radio-base"), base});
    if (!process.waitForStarted(10000)) return {QStringLiteral("not started")};
    process.write((commands.join(u'\n') + u'\n').toUtf8());
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) process.kill();
    // Only the answers to these commands: the console also reports its own events
    // (the server connection failing, for one).
    static const QStringList answers{"decoded", "resolved", "radio", "radio-page",
                                     "history", "end",      "absent"};
    QStringList lines;
    for (const QString &line :
         QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        if (answers.contains(line.section(u'\t', 0, 0))) lines << line;
    }
    return lines;
}

// One text per list, so a failure prints readable lines.
std::string joined(const QStringList &lines) {
    return lines.join(u'\n').toStdString();
}

} // namespace

class ConsoleRadio : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qEnvironmentVariable("KELVANE_BINARY").isEmpty())
            GTEST_SKIP() << "KELVANE_BINARY is not set";
    }
};

TEST_F(ConsoleRadio, DecodeAndResolve) {
    HttpServer server;
    server.serveFile("/Tune.ashx", (server.url("/live.pls").toString() + "\n").toUtf8());
    server.serveFile("/live.pls", "[playlist]\r\nFile1=http://ice.radio.example/live\r\n");
    server.serveFile("/nothing", (server.url("/empty.pls").toString() + "\n").toUtf8());
    server.serveFile("/empty.pls", "[playlist]\nNumberOfEntries=0\n");
    const QStringList lines = runConsole(server.url("/").toString(),
                                         {"decode Caf&eacute;\t&amp;lt;",
                                          "resolve " + server.url("/Tune.ashx?id=s1").toString(),
                                          "resolve " + server.url("/nothing").toString(), "quit"});
    EXPECT_EQ(joined(lines), joined({"decoded\tCafé\\t&lt;",
                                     "resolved\thttp://ice.radio.example/live", "resolved\t\\N"}));
}

TEST_F(ConsoleRadio, PagesAndNavigationPrintInOrder) {
    HttpServer server;
    const QString pageA = server.url("/Browse.ashx?id=A").toString();
    const QString pageB = server.url("/Browse.ashx?id=B").toString();
    server.route("/",
                 {.body = opml("<outline type=\"link\" text=\"Music\" URL=\"" + pageA + "\"/>\n")});
    server.route("/Browse.ashx?id=A",
                 {.body = opml("<outline type=\"audio\" text=\"Jazz &amp;amp; Co\" "
                               "URL=\"http://t/1\" subtext=\"Live\" image=\"http://l/1.png\"/>\n"),
                  .delayMs = 100});
    server.route("/Browse.ashx?id=B",
                 {.body = opml("<outline type=\"link\" text=\"More\" URL=\"http://t/more\"/>\n")});
    server.route("/Search.ashx?query=rock%20%26%20roll",
                 {.body = opml("<outline type=\"audio\" text=\"Found\" URL=\"http://t/2\"/>\n")});

    const QStringList lines = runConsole(
        server.url("/").toString(),
        {"radio-index", "radio-open " + pageA + "\tMusic", "radio-open " + pageB + "\tB",
         "radio-previous", "radio-history", "radio-previous", "radio-search rock & roll", "quit"});
    const QStringList expected{
        "radio\tyes\tMusic\t\t" + pageA + "\tnull",
        "end\t1",
        "radio-page\tMusic",
        "radio\tno\tJazz & Co\tLive\thttp://t/1\thttp://l/1.png",
        "end\t1",
        "radio-page\tB",
        "radio\tyes\tMore\t\thttp://t/more\tnull",
        "end\t1",
        "radio-page\tMusic",
        "radio\tno\tJazz & Co\tLive\thttp://t/1\thttp://l/1.png",
        "end\t1",
        "history\t" + pageA + "\tMusic",
        "end\t1",
        "absent",
        "radio\tno\tFound\t\thttp://t/2\tnull",
        "end\t1",
    };
    EXPECT_EQ(joined(lines), joined(expected));
    EXPECT_EQ(server.hits("/Browse.ashx?id=A"), 1);
}

TEST_F(ConsoleRadio, EntriesPrintTheValuesTheGridShows) {
    // Absent name, description and address print as "", an absent logo as "null", as in
    // the directory item the radio grid reads; a NUL from the page is escaped.
    HttpServer server;
    server.route("/", {.body = opml(QStringLiteral("<outline text=\"Nameless\" type=\"audio\"/>\n"
                                                   "<outline type=\"audio\" text=\"A") +
                                    QChar(u'\0') + QStringLiteral("B\" URL=\"\" image=\"\"/>\n"))});
    const QString binary = qEnvironmentVariable("KELVANE_BINARY");
    QProcess process;
    process.start(binary, {QStringLiteral("--console"), QStringLiteral("--radio-base"),
                           server.url("/").toString()});
    ASSERT_TRUE(process.waitForStarted(10000));
    process.write("radio-index\nquit\n");
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) process.kill();
    const QByteArray out = process.readAllStandardOutput();
    EXPECT_FALSE(out.contains('\0'));
    EXPECT_TRUE(out.contains("\nradio\tno\t\t\t\tnull\nradio\tno\tA\\0B\t\tnull0\tnull\nend\t2\n"))
        << out.toStdString();
}
