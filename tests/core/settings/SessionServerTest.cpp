#include "core/settings/SessionServer.h"

#include <gtest/gtest.h>

using namespace kelvane;

namespace {
std::optional<SessionServer> parse(SessionServer::Inputs in, QString *problem = nullptr) {
    QString ignored;
    return SessionServer::from(in, problem ? problem : &ignored);
}
} // namespace

TEST(SessionServer, NothingGivenChangesNothing) {
    const auto s = parse({});
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->host);
    EXPECT_FALSE(s->port);
    EXPECT_FALSE(s->coverHost);
}

TEST(SessionServer, OptionsWinOverTheEnvironment) {
    const auto s = parse({QStringLiteral("127.0.0.1"), QStringLiteral("6601"), std::nullopt,
                          QStringLiteral("10.0.0.1"), QStringLiteral("6700")});
    ASSERT_TRUE(s);
    EXPECT_EQ(*s->host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(*s->port, 6601u);
}

TEST(SessionServer, EnvironmentHostKeepsItsPasswordForTheSession) {
    const auto s = parse({std::nullopt, std::nullopt, std::nullopt,
                          QStringLiteral("pa@ss@127.0.0.2"), QStringLiteral("06600")});
    ASSERT_TRUE(s);
    EXPECT_EQ(*s->host, QStringLiteral("127.0.0.2"));
    EXPECT_EQ(*s->port, 6600u);
    EXPECT_EQ(s->password, QStringLiteral("pa@ss"));
    // A socket path may hold "@"; a password comes before it.
    EXPECT_EQ(parse({std::nullopt, std::nullopt, std::nullopt, QStringLiteral("/run/mpd@1/socket")})
                  ->host,
              QStringLiteral("/run/mpd@1/socket"));
    const auto socket =
        parse({std::nullopt, std::nullopt, std::nullopt, QStringLiteral("se@cret@~/.mpd/socket")});
    EXPECT_EQ(socket->host, QStringLiteral("~/.mpd/socket"));
    EXPECT_EQ(socket->password, QStringLiteral("se@cret"));
    // --host names another server: MPD_HOST's password is not sent to it.
    const auto option = parse(
        {QStringLiteral("nas"), std::nullopt, std::nullopt, QStringLiteral("pw@music.local")});
    EXPECT_EQ(option->host, QStringLiteral("nas"));
    EXPECT_FALSE(option->password);
}

TEST(SessionServer, MalformedValuesAreRefusedWithAMessage) {
    QString problem;
    EXPECT_FALSE(parse({std::nullopt, QStringLiteral("66a0")}, &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("66a0")));
    EXPECT_FALSE(parse({std::nullopt, QStringLiteral("65536")}));
    // The library would take port 0 for its default and reach 6600 instead.
    EXPECT_FALSE(parse({std::nullopt, QStringLiteral("0")}));
    EXPECT_FALSE(
        parse({std::nullopt, std::nullopt, std::nullopt, QString(), QStringLiteral("000")}));
    EXPECT_FALSE(parse({std::nullopt, QStringLiteral("")}));
    EXPECT_FALSE(parse({QStringLiteral("")}));
    EXPECT_FALSE(parse({std::nullopt, std::nullopt, QStringLiteral("")}));
    EXPECT_FALSE(parse({std::nullopt, std::nullopt, std::nullopt, QString(), QStringLiteral("x")}));
    const auto covers = parse({std::nullopt, std::nullopt, QStringLiteral("127.0.0.1:8080")});
    ASSERT_TRUE(covers);
    EXPECT_EQ(*covers->coverHost, QStringLiteral("127.0.0.1:8080"));
}
