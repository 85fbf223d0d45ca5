// The protocol in the user's locale: libmpdclient writes and reads decimals and takes its
// failure texts from the C library, whatever locale the process has been put in. A
// scripted server shows the exact bytes each way.
#include "mpdc/Connection.h"
#include "support/ScriptedServer.h"

#include <QTcpServer>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

using namespace kelvane;
using namespace kelvane::test;
using mpdc::Connection;

namespace {

// The whole process in French, as a library that calls setlocale(LC_ALL, "") leaves it,
// for the life of the guard.
class FrenchProcess {
  public:
    FrenchProcess() : m_saved(std::setlocale(LC_ALL, nullptr)) {
        m_ok = std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
    }
    ~FrenchProcess() { std::setlocale(LC_ALL, m_saved.c_str()); }
    bool ok() const { return m_ok; }

  private:
    std::string m_saved;
    bool m_ok = false;
};

} // namespace

TEST(ProtocolLocale, DecimalsAndFailuresCrossInTheCLocaleWhateverTheProcessIsIn) {
    ScriptedServer server([](const QByteArray &request) -> ScriptedServer::Reply {
        if (request == "status")
            return {"volume: 50\nstate: pause\nsong: 0\nsongid: 1\nplaylistlength: 1\n"
                    "time: 12:183\nelapsed: 12.500\nduration: 182.500\nmixrampdb: -17.5\n"
                    "xfade: 3\nOK\n",
                    false,
                    false,
                    {}};
        return ScriptedServer::standard(request);
    });
    quint16 closedPort;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        closedPort = probe.serverPort();
    }

    const FrenchProcess french;
    ASSERT_TRUE(french.ok()) << "the fr_FR.UTF-8 locale is not installed (scripts/install-deps.sh)";
    char formatted[16];
    std::snprintf(formatted, sizeof formatted, "%.1f", 2.5);
    ASSERT_STREQ(formatted, "2,5"); // the C library does speak French now

    auto c = Connection::open(QStringLiteral("127.0.0.1"), server.port(), 3000);
    ASSERT_FALSE(c->hasError()) << qPrintable(c->errorMessage());
    // Out: a comma would make mpd refuse the seek ("Float expected: 2,250").
    EXPECT_TRUE(c->seekCurrent(2.25f));
    EXPECT_EQ(server.requests().filter(QStringLiteral("seekcur")),
              QStringList{QStringLiteral("seekcur \"2.250\"")})
        << qPrintable(server.requests().join(QLatin1Char('\n')));
    // In: strtod would stop reading at the point (12 s, not 12.5).
    const auto status = c->status();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->elapsedMs, 12500u);
    EXPECT_EQ(status->crossfade, 3u);

    // A failure keeps its code, and its text is the library's own, not the translation.
    auto refused = Connection::open(QStringLiteral("127.0.0.1"), closedPort, 3000);
    const mpdc::Failure failure = refused->failure();
    EXPECT_EQ(failure.cause, mpdc::Failure::Cause::System);
    EXPECT_EQ(failure.systemError, ECONNREFUSED);
    EXPECT_EQ(failure.message, QStringLiteral("Connection refused")) << qPrintable(failure.message);
}
