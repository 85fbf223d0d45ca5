#include "core/radio/RadioLoader.h"
#include "RadioTestPages.h"
#include "support/HttpServer.h"

#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {
const RadioLoader &loader() {
    return RadioLoader::sRadioLoader();
}
} // namespace

TEST(RadioLoader, IndexIsTheBaseAddress) {
    HttpServer server;
    server.route("/", {.body = opmlPage(
                           "Browse",
                           linkOutline("Music", server.url("/Browse.ashx?c=music").toString()) +
                               linkOutline("Talk", server.url("/Browse.ashx?c=talk").toString()))});
    const QList<Radio> index = loader().getIndex(server.url("/").toString());
    ASSERT_EQ(index.size(), 2);
    EXPECT_EQ(index[0].radioName(), u"Music");
    EXPECT_EQ(index[1].radioUrl(), server.url("/Browse.ashx?c=talk").toString());
    EXPECT_TRUE(loader().loadIndex(server.url("/").toString()).complete);
}

TEST(RadioLoader, UnreachableIndexAndSearchAreConnectionErrors) {
    HttpServer server;
    const QString base = server.url("/").toString();
    server.setDefault({.status = 200, .body = ""});
    for (const QList<Radio> &radios : {loader().getIndex(base), loader().search("jazz", base)}) {
        ASSERT_EQ(radios.size(), 1);
        EXPECT_EQ(radios[0].radioName(), u"Erreur de connexion");
        EXPECT_EQ(radios[0].radioUrl(), u"0");
        EXPECT_EQ(radios[0].link(), u"yes");
    }
    const RadioPage index = loader().loadIndex(QStringLiteral("not an address"));
    ASSERT_EQ(index.radios.size(), 1);
    EXPECT_EQ(index.radios[0].radioName(), u"Erreur de connexion");
    EXPECT_FALSE(index.complete);
}

TEST(RadioLoader, RefusedPageByAddress) {
    HttpServer server;
    server.route("/Browse.ashx", {.status = 403, .body = forbiddenPage});
    const RadioPage page = loader().loadPage(server.url("/Browse.ashx?c=music").toString());
    ASSERT_EQ(page.radios.size(), 1);
    EXPECT_EQ(page.radios[0].radioName(), u"403 - Forbidden: Access is denied");
    EXPECT_EQ(page.radios[0].radioUrl(), u"http://127.0.0.1");
    EXPECT_FALSE(page.complete);
    // A refused root page names the refusal too, at address "0".
    server.route("/", {.status = 403, .body = forbiddenPage});
    const QList<Radio> index = loader().getIndex(server.url("/").toString());
    ASSERT_EQ(index.size(), 1);
    EXPECT_EQ(index[0].radioName(), u"403 - Forbidden: Access is denied");
    EXPECT_EQ(index[0].radioUrl(), u"0");
}

TEST(RadioLoader, FailedFetchByAddressIsTheRefusalEntry) {
    for (const QString &address : {QStringLiteral("0"), QStringLiteral("http://127.0.0.1:1/")}) {
        const QList<Radio> radios = loader().getListOf(address);
        ASSERT_EQ(radios.size(), 1);
        EXPECT_EQ(radios[0].radioName(), u"403 - Forbidden: Access is denied");
        EXPECT_EQ(radios[0].radioUrl(), u"http://127.0.0.1");
    }
}

TEST(RadioLoader, ErrorStatusWithoutOpmlIsAnEmptyIncompletePage) {
    HttpServer server;
    server.route("/Browse.ashx", {.status = 500, .body = "<html>Server Error</html>"});
    const RadioPage page = loader().loadPage(server.url("/Browse.ashx?id=1").toString());
    EXPECT_TRUE(page.radios.isEmpty());
    EXPECT_FALSE(page.complete);
}

TEST(RadioLoader, InvalidUtf8PageIsAFailedFetch) {
    HttpServer server;
    server.route(
        "/Browse.ashx",
        {.body = opmlPage("x", linkOutline("Cafe", "http://a")).replace("Cafe", "Caf\xe9")});
    const QList<Radio> radios = loader().getListOf(server.url("/Browse.ashx").toString());
    ASSERT_EQ(radios.size(), 1);
    EXPECT_EQ(radios[0].radioName(), u"403 - Forbidden: Access is denied");
}

TEST(RadioLoader, SearchTextIsPercentEncodedWhole) {
    HttpServer server;
    server.setDefault(
        {.body = opmlPage("Search", audioOutline("Found", "http://a/Tune.ashx?id=s1"))});
    const QString base = server.url("/").toString();
    EXPECT_EQ(RadioLoader::searchAddress(QStringLiteral("http://d.example/"),
                                         QStringLiteral("rock & roll")),
              u"http://d.example/Search.ashx?query=rock%20%26%20roll");
    ASSERT_EQ(loader().search(QStringLiteral("rock & roll"), base).size(), 1);
    loader().search(QStringLiteral("l'été #1+2=3"), base);
    EXPECT_EQ(server.requests(),
              (QStringList{"/Search.ashx?query=rock%20%26%20roll",
                           "/Search.ashx?query=l%27%C3%A9t%C3%A9%20%231%2B2%3D3"}));
}
