#include "core/radio/RadioState.h"
#include "RadioTestPages.h"
#include "core/settings/Setting.h"
#include "support/HttpServer.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

struct Shown {
    QString title;
    QList<DirectoryItem> entries;
};

// A directory with a root page of two categories, pages A, B and C, a search answer
// and a refused page; the state under test reads it through the session base.
class RadioStateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Setting::sSetting().setSessionRadioBase(base());
        server.route("/", {.body = opmlPage("Browse", linkOutline("Music", page("A")) +
                                                          linkOutline("Talk", page("B")))});
        for (const char *name : {"A", "B", "C"})
            server.route(QStringLiteral("/Browse.ashx?id=") + name,
                         {.body = opmlPage(name, audioOutline(QStringLiteral("Station ") + name,
                                                              "http://t/" + QString(name)))});
        server.route("/Browse.ashx?id=refused", {.status = 403, .body = forbiddenPage});
        server.route("/Search.ashx",
                     {.body = opmlPage("Search", audioOutline("Found", "http://t/found"))});
        QObject::connect(&state, &RadioState::pageShown,
                         [this](const QString &title, const QList<DirectoryItem> &entries) {
                             shown.append({title, entries});
                         });
    }
    void TearDown() override { Setting::sSetting().setSessionRadioBase(std::nullopt); }

    QString base() const { return server.url("/").toString(); }
    QString page(const QString &name) const {
        return server.url("/Browse.ashx?id=" + name).toString();
    }
    // Waits until count pages in all have been shown.
    bool waitShown(qsizetype count) {
        return QTest::qWaitFor([&] { return shown.size() >= count && !state.clickLocked(); },
                               10000);
    }
    void open(const QString &name) {
        const qsizetype before = shown.size();
        state.getURLContent(page(name), name);
        ASSERT_TRUE(waitShown(before + 1));
    }
    QStringList historyNames() const {
        QStringList names;
        for (const RadioHistoryEntry &entry : state.radioNavigationHistorique())
            names << entry.name;
        return names;
    }
    int hits(const QString &name) const { return server.hits("/Browse.ashx?id=" + name); }

    HttpServer server;
    RadioState state;
    QList<Shown> shown;
};

} // namespace

TEST_F(RadioStateTest, StartOpensTheFirstCategoryAndKeepsTheRootPage) {
    state.start();
    ASSERT_TRUE(waitShown(1));
    EXPECT_EQ(state.radioArrayTableIndex().size(), 2);
    EXPECT_EQ(shown.last().title, u"Music");
    EXPECT_EQ(shown.last().entries.first().value("name"), u"Station A");
    EXPECT_EQ(state.contentRadio().first().radioName(), u"Station A");
    // The view created again: no new root fetch, the category comes from the cache
    // and is pushed once more.
    state.start();
    ASSERT_TRUE(waitShown(2));
    EXPECT_EQ(server.hits("/"), 1);
    EXPECT_EQ(hits("A"), 1);
    EXPECT_EQ(historyNames(), (QStringList{"Music", "Music"}));
}

TEST_F(RadioStateTest, SamePageIsFetchedOnce) {
    open("A");
    open("A");
    EXPECT_EQ(hits("A"), 1);
    EXPECT_TRUE(state.isCached(page("A")));
    EXPECT_EQ(shown[0].entries, shown[1].entries);
}

TEST_F(RadioStateTest, PreviousWalksBackAndDoesNotPushAgain) {
    open("A");
    open("B");
    open("C");
    state.previousButton();
    ASSERT_TRUE(waitShown(4));
    EXPECT_EQ(shown.last().title, u"B");
    state.previousButton();
    ASSERT_TRUE(waitShown(5));
    EXPECT_EQ(shown.last().title, u"A");
    EXPECT_EQ(historyNames(), QStringList{"A"});
    EXPECT_EQ(hits("A"), 1);
    EXPECT_EQ(hits("B"), 1);
    EXPECT_TRUE(state.addHistoric());
}

TEST_F(RadioStateTest, PreviousWithOneEntryDoesNothing) {
    open("A");
    state.previousButton();
    QTest::qWait(100);
    EXPECT_EQ(shown.size(), 1);
    EXPECT_FALSE(state.clickLocked());
    EXPECT_EQ(historyNames(), QStringList{"A"});
}

TEST_F(RadioStateTest, SearchLeavesCacheAndHistoryAlone) {
    open("A");
    open("B");
    state.onSearch(QStringLiteral("j")); // too short: nothing happens
    QTest::qWait(50);
    EXPECT_EQ(shown.size(), 2);
    state.onSearch(QStringLiteral("jazz & blues"));
    ASSERT_TRUE(waitShown(3));
    EXPECT_EQ(shown.last().title, u"Recherche: jazz & blues");
    EXPECT_EQ(shown.last().entries.first().value("name"), u"Found");
    state.onSearch(QStringLiteral("jazz & blues"));
    ASSERT_TRUE(waitShown(4));
    EXPECT_EQ(server.hits("/Search.ashx"), 2);
    EXPECT_EQ(historyNames(), (QStringList{"A", "B"}));
    // "previous" after the search goes to the page before the last one browsed.
    state.previousButton();
    ASSERT_TRUE(waitShown(5));
    EXPECT_EQ(shown.last().title, u"A");
}

TEST_F(RadioStateTest, ErrorPagesAreShownButNotCached) {
    open("refused");
    EXPECT_EQ(shown.last().entries.first().value("name"), u"403 - Forbidden: Access is denied");
    EXPECT_FALSE(state.isCached(page("refused")));
    open("refused");
    EXPECT_EQ(hits("refused"), 2);
    EXPECT_EQ(historyNames(), (QStringList{"refused", "refused"}));
}

TEST_F(RadioStateTest, EndlessPageIsAnErrorEntry) {
    server.route("/Browse.ashx?id=endless", {.endlessBody = 256 * 1024});
    open("endless");
    EXPECT_EQ(shown.last().entries.first().value("name"), u"403 - Forbidden: Access is denied");
    EXPECT_FALSE(state.isCached(page("endless")));
}

TEST_F(RadioStateTest, FailedRootPageIsRetriedOnTheNextStart) {
    server.route("/", {.status = 503, .body = ""});
    state.start();
    ASSERT_TRUE(waitShown(1));
    ASSERT_EQ(state.radioArrayTableIndex().size(), 1);
    EXPECT_EQ(state.radioArrayTableIndex().first().radioName(), u"Erreur de connexion");
    // Its address "0" is no page: the page-level error is shown.
    EXPECT_EQ(shown.last().entries.first().value("url"), u"http://127.0.0.1");
    server.route("/", {.body = opmlPage("Browse", linkOutline("Music", page("A")))});
    state.start();
    ASSERT_TRUE(waitShown(2));
    EXPECT_EQ(server.hits("/"), 2);
    EXPECT_EQ(shown.last().title, u"Music");
}

TEST_F(RadioStateTest, EmptyRootPageOpensNothing) {
    server.route("/", {.body = "<opml><head><status>400</status></head><body></body></opml>"});
    bool indexSeen = false;
    QObject::connect(&state, &RadioState::indexChanged,
                     [&](const QList<Radio> &index) { indexSeen = index.isEmpty(); });
    state.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return indexSeen && !state.clickLocked(); }, 5000));
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_TRUE(state.radioNavigationHistorique().isEmpty());
}

TEST_F(RadioStateTest, FolderClicksAreIgnoredWhileALoadRuns) {
    server.route("/Browse.ashx?id=slow", {.body = opmlPage("slow", ""), .delayMs = 300});
    QList<bool> locks;
    QObject::connect(&state, &RadioState::clickLockedChanged,
                     [&](bool locked) { locks << locked; });
    state.getURLContent(page("slow"), "slow");
    EXPECT_TRUE(state.clickLocked());
    Radio link;
    link.setName("A");
    link.setUrl(page("A"));
    state.onRadioLinkClick(link);
    ASSERT_TRUE(waitShown(1));
    QTest::qWait(50);
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(hits("A"), 0);
    EXPECT_EQ(locks, (QList<bool>{true, false}));
    state.onRadioLinkClick(link);
    ASSERT_TRUE(waitShown(2));
    EXPECT_EQ(shown.last().title, u"A");
}

TEST_F(RadioStateTest, CategoryClickOutsideTheRowsIsIgnored) {
    state.start();
    ASSERT_TRUE(waitShown(1));
    state.onIndexClick(-1);
    state.onIndexClick(2);
    QTest::qWait(50);
    EXPECT_EQ(shown.size(), 1);
    state.onIndexClick(1);
    ASSERT_TRUE(waitShown(2));
    EXPECT_EQ(shown.last().title, u"Talk");
}

TEST_F(RadioStateTest, DestroyedDuringALoadIsHarmless) {
    server.route("/Browse.ashx?id=slow", {.body = opmlPage("slow", ""), .delayMs = 200});
    {
        RadioState shortLived;
        shortLived.getURLContent(page("slow"), "slow");
    }
    QTest::qWait(400);
    EXPECT_EQ(server.hits("/Browse.ashx?id=slow"), 1);
}
