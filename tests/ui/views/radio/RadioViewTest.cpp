#include "ui/views/radio/RadioView.h"
#include "core/mpd/MPDSocket.h"
#include "core/radio/RadioState.h"
#include "core/settings/Setting.h"
#include "imageloading/ImageTarget.h"
#include "support/HttpServer.h"
#include "support/MpdServer.h"
#include "support/Wait.h"
#include "ui/base/Accessibility.h"
#include "ui/views/radio/BusySpinner.h"
#include "ui/views/radio/FolderClick.h"
#include "ui/views/radio/RadioItem.h"
#include "ui/views/radio/RadioNotice.h"
#include "ui/views/radio/RadioOverCover.h"

#include <QApplication>
#include <QBuffer>
#include <QEnterEvent>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

QByteArray opml(const QString &outlines) {
    return (QStringLiteral(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"1\">\n<head>\n"
                "<status>200</status>\n</head>\n<body>\n") +
            outlines + QStringLiteral("</body>\n</opml>\n"))
        .toUtf8();
}

QString link(const QString &name, const QString &url) {
    return QStringLiteral("<outline type=\"link\" text=\"%1\" URL=\"%2\" key=\"k\"/>\n")
        .arg(name, url);
}

QString audio(const QString &name, const QString &url, const QString &logo = {}) {
    const QString image = logo.isEmpty() ? QString() : QStringLiteral(" image=\"%1\"").arg(logo);
    return QStringLiteral("<outline type=\"audio\" text=\"%1\" URL=\"%2\" subtext=\"On air\"%3 "
                          "item=\"station\"/>\n")
        .arg(name, url, image);
}

const QByteArray forbidden =
    "<html><body><h2>403 - Forbidden: Access is denied.</h2></body></html>\n";

// One directory for the whole run, since the root page is kept for the life of the
// process: "Music" (opened first by every new view) and "Talk". Each test adds pages
// of its own under fresh addresses, so the page cache never answers for another test.
class RadioViewTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_http = std::make_unique<HttpServer>();
        s_mpd = std::make_unique<MpdServer>();
        s_http->route("/",
                      {.body = opml(link("Music", url("/music")) + link("Talk", url("/talk")))});
        s_http->route("/music",
                      {.body = opml(link("Jazz", url("/jazz")) +
                                    audio("Radio One", url("/tune/one"), "null") +
                                    audio("Radio Two", url("/tune/two"), url("/logo.png")))});
        s_http->route("/talk", {.body = opml(audio("News", url("/tune/news")))});
        s_http->route("/jazz", {.body = opml(audio("Jazz FM", url("/tune/jazz")))});
        s_http->route("/refused", {.status = 403, .body = forbidden});
        s_http->serveFile("/logo.png", pngLogo(), "image/png");
        Setting::sSetting().setSessionRadioBase(url("/"));
    }
    static void TearDownTestSuite() {
        Setting::sSetting().setSessionRadioBase(std::nullopt);
        s_mpd.reset();
        s_http.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(s_mpd->isRunning());
        FolderClick::reset();
        s_mpd->command(QStringLiteral("clear"));
        s_mpd->command(QStringLiteral("rm \"[Radio Streams]\""));
        Setting::sSetting().setSessionServer(s_mpd->host(), s_mpd->port());
        MPDSocket::sMPDSocket().connect();
    }
    void TearDown() override {
        for (QWidget *window : QApplication::topLevelWidgets())
            window->close();
        waitUntil([] { return !RadioState::sRadioState().clickLocked(); }, 5000);
        QApplication::processEvents();
        MPDSocket::sMPDSocket().disconnect();
    }

    static QString url(const QString &path) { return s_http->url(path).toString(); }
    static QByteArray pngLogo() {
        QImage image(8, 8, QImage::Format_ARGB32);
        image.fill(Qt::darkCyan);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }
    // Waits for the view to show the page titled title, loaded.
    static bool waitPage(const RadioView &view, const QString &title) {
        return waitUntil(
            [&] {
                return view.titreCollectionView()->text() == title &&
                       !RadioState::sRadioState().clickLocked() &&
                       !view.progressCircle()->isVisible();
            },
            10000);
    }
    static RadioItem *itemNamed(const RadioView &view, const QString &name) {
        for (RadioItem *item : view.items()) {
            if (item->representedObject().value("name") == name) return item;
        }
        return nullptr;
    }
    // A page of one audio entry whose address answers body.
    static RadioItem *entryAnswering(RadioView &view, const QString &id, const QByteArray &body) {
        s_http->route("/tune/" + id, {.body = body});
        s_http->route("/page/" + id, {.body = opml(audio("Station " + id, url("/tune/" + id)))});
        Radio radio;
        radio.setName("Page " + id);
        radio.setUrl(url("/page/" + id));
        view.onRadioLinkClick(radio);
        if (!waitPage(view, "Page " + id)) return nullptr;
        return itemNamed(view, "Station " + id);
    }
    static QStringList queue() {
        QStringList files;
        for (const QString &line : s_mpd->command(QStringLiteral("playlistinfo")))
            if (line.startsWith(QLatin1String("file: "))) files << line.mid(6);
        return files;
    }
    static QStringList stored() {
        QStringList entries;
        for (const QString &line :
             s_mpd->command(QStringLiteral("listplaylist \"[Radio Streams]\"")))
            if (line.startsWith(QLatin1String("file: "))) entries << line.mid(6);
        return entries;
    }
    static QWidget *notice() {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->objectName() == QLatin1String("radioNotice"))
                return window;
        return nullptr;
    }

    static inline std::unique_ptr<HttpServer> s_http;
    static inline std::unique_ptr<MpdServer> s_mpd;
};

TEST_F(RadioViewTest, ShowsCategoriesAndOpensTheFirstOne) {
    RadioView view;
    ASSERT_TRUE(waitPage(view, "Music"));
    QListWidget *table = view.radioTableView();
    ASSERT_EQ(table->count(), 2);
    EXPECT_EQ(table->item(0)->text(), "  Music");
    EXPECT_EQ(table->item(1)->text(), "  Talk");
    EXPECT_EQ(table->currentRow(), 0);
    ASSERT_EQ(view.items().size(), 3);
    EXPECT_EQ(view.items().at(0)->labelRadio()->text(), "Jazz");
    EXPECT_EQ(view.items().at(2)->subTextRadio()->text(), "On air");

    table->setCurrentRow(1);
    QTest::keyClick(table, Qt::Key_Return);
    ASSERT_TRUE(waitPage(view, "Talk"));
    ASSERT_EQ(view.items().size(), 1);
    EXPECT_EQ(view.items().at(0)->labelRadio()->text(), "News");
}

TEST_F(RadioViewTest, LogosLoadExceptTheNullOneWhichShowsNoCover) {
    RadioView view;
    ASSERT_TRUE(waitPage(view, "Music"));
    RadioItem *two = itemNamed(view, "Radio Two");
    ASSERT_TRUE(two);
    ASSERT_TRUE(waitUntil([&] { return !two->logoTarget()->isLoading(); }));
    EXPECT_EQ(two->logoTarget()->image().pixelColor(4, 4), QColor(Qt::darkCyan));
    RadioItem *one = itemNamed(view, "Radio One");
    EXPECT_FALSE(one->logoRadio()->pixmap().isNull());
    EXPECT_TRUE(one->logoTarget()->imageURL().isEmpty());
    EXPECT_TRUE(qobject_cast<QGraphicsDropShadowEffect *>(one->logoRadio()->graphicsEffect()));
    for (const QString &request : s_http->requests())
        EXPECT_FALSE(request.contains("null")) << request.toStdString();
}

TEST_F(RadioViewTest, HoverButtonsFadeInOnAudioEntriesOnly) {
    RadioView view;
    view.resize(900, 600);
    view.show();
    ASSERT_TRUE(waitPage(view, "Music"));
    RadioItem *folder = itemNamed(view, "Jazz");
    RadioOverCover *mask = folder->playMask();
    EXPECT_FALSE(mask->isVisible());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(mask, &enter);
    EXPECT_FALSE(mask->isVisible());
    EXPECT_FALSE(mask->playButton()->isVisible());
    EXPECT_FALSE(qobject_cast<QGraphicsDropShadowEffect *>(folder->logoRadio()->graphicsEffect()));

    RadioOverCover *audioMask = itemNamed(view, "Radio One")->playMask();
    EXPECT_TRUE(audioMask->isVisible());
    EXPECT_FALSE(audioMask->playButton()->isVisible());
    QApplication::sendEvent(audioMask, &enter);
    EXPECT_TRUE(audioMask->playButton()->isVisible());
    EXPECT_TRUE(audioMask->addButton()->isVisible());
    EXPECT_TRUE(waitUntil(
        [&] { return audioMask->playAlpha() == 1.0 && audioMask->addAlpha() == 1.0; }, 2000));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(audioMask, &leave);
    EXPECT_FALSE(audioMask->playButton()->isVisible());
    EXPECT_EQ(audioMask->addAlpha(), 0.0);
}

TEST_F(RadioViewTest, FoldersOpenOnTwoClicksWithinTheWindowOnly) {
    RadioView view;
    ASSERT_TRUE(waitPage(view, "Music"));
    RadioItem *jazz = itemNamed(view, "Jazz");
    jazz->clickFolder();
    spin(FolderClick::windowMs + 100);
    EXPECT_EQ(view.titreCollectionView()->text(), "Music");
    jazz->clickFolder(); // a new window, not the second click of the first
    EXPECT_EQ(view.titreCollectionView()->text(), "Music");
    QTest::mouseClick(jazz, Qt::LeftButton); // within the window: opens
    ASSERT_TRUE(waitPage(view, "Jazz"));
    EXPECT_EQ(view.items().size(), 1);
    EXPECT_TRUE(view.previousButton()->isEnabled());
    view.previousButton()->click();
    EXPECT_TRUE(waitPage(view, "Music"));
}

TEST_F(RadioViewTest, AnErrorEntryIsAFolderThatLoadsThePageError) {
    RadioView view;
    ASSERT_TRUE(waitPage(view, "Music"));
    Radio refused;
    refused.setName("Refused");
    refused.setUrl(url("/refused"));
    view.onRadioLinkClick(refused);
    ASSERT_TRUE(waitPage(view, "Refused"));
    ASSERT_EQ(view.items().size(), 1);
    RadioItem *error = view.items().first();
    EXPECT_TRUE(error->isLink());
    EXPECT_FALSE(error->playMask()->isVisibleTo(&view));
    EXPECT_EQ(error->labelRadio()->toolTip(), "403 - Forbidden: Access is denied");
    error->clickFolder();
    error->clickFolder();
    ASSERT_TRUE(waitPage(view, "403 - Forbidden: Access is denied"));
    ASSERT_EQ(view.items().size(), 1);
    EXPECT_EQ(view.items().first()->representedObject().value("url"), "http://127.0.0.1");
}

TEST_F(RadioViewTest, SearchTakesTheWholeTextOnReturn) {
    s_http->route("/Search.ashx", {.body = opml(audio("Found", url("/tune/found")))});
    RadioView view;
    ASSERT_TRUE(waitPage(view, "Music"));
    const int before = s_http->hits("/Search.ashx");
    QTest::keyClicks(view.radioSearchField(), "jazz");
    spin(50);
    EXPECT_EQ(s_http->hits("/Search.ashx"), before);
    QTest::keyClick(view.radioSearchField(), Qt::Key_Return);
    ASSERT_TRUE(waitPage(view, "Recherche: jazz"));
    EXPECT_EQ(s_http->hits("/Search.ashx"), before + 1);
    ASSERT_EQ(view.items().size(), 1);
}

TEST_F(RadioViewTest, AnEntryWithoutAddressIsNeitherPlayedNorAdded) {
    s_http->route(
        "/files/none.pls",
        {.body = "[playlist]\nFile1=ftp://radio.example/live\nTitle1=http://not.this/\n"});
    RadioView view;
    ASSERT_TRUE(waitPage(view, "Music"));
    RadioItem *item = entryAnswering(view, "none", url("/files/none.pls").toUtf8() + "\n");
    ASSERT_TRUE(item);
    item->clickPlay();
    item->addToStream();
    ASSERT_TRUE(waitUntil([] { return s_http->hits("/files/none.pls") == 2; }));
    spin(200);
    EXPECT_TRUE(queue().isEmpty());
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_FALSE(notice());
}

TEST_F(RadioViewTest, PlayResolvesThePlaylistAndPlaysItsAddress) {
    s_http->route("/files/live.m3u",
                  {.body = "#EXTM3U\n#EXTINF:-1,Live\nhttp://127.0.0.1:9/live.mp3\n"});
    RadioView view;
    ASSERT_TRUE(waitPage(view, "Music"));
    RadioItem *item = entryAnswering(view, "m3u", url("/files/live.m3u").toUtf8() + "\n");
    ASSERT_TRUE(item);
    item->clickPlay();
    EXPECT_TRUE(waitUntil([] { return queue() == QStringList{"http://127.0.0.1:9/live.mp3"}; }));
}

// A station whose address names a PLS file answers with the file itself: its stream
// is played, and a file without one leaves the queue and the saved streams alone.
TEST_F(RadioViewTest, AStationAnsweringWithAPlaylistNeverCostsTheQueue) {
    const QStringList kept{"http://127.0.0.1:9/kept-1.mp3", "http://127.0.0.1:9/kept-2.mp3"};
    for (const QString &uri : kept)
        s_mpd->command(QStringLiteral("add ") + MpdServer::quote(uri));
    ASSERT_EQ(queue(), kept);
    RadioView view;
    ASSERT_TRUE(waitPage(view, "Music"));
    RadioItem *empty = entryAnswering(view, "empty.pls", "[playlist]\r\nNumberOfEntries=0\r\n");
    ASSERT_TRUE(empty);
    empty->clickPlay();
    empty->addToStream();
    ASSERT_TRUE(waitUntil([] { return s_http->hits("/tune/empty.pls") == 2; }));
    spin(300);
    EXPECT_EQ(queue(), kept);
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_FALSE(notice());

    RadioItem *live = entryAnswering(
        view, "live.pls", "[playlist]\nNumberOfEntries=1\nFile1=http://127.0.0.1:9/live.mp3\n");
    ASSERT_TRUE(live);
    live->clickPlay();
    EXPECT_TRUE(waitUntil([] { return queue() == QStringList{"http://127.0.0.1:9/live.mp3"}; }));
    live->addToStream();
    EXPECT_TRUE(waitUntil(
        [] { return stored() == QStringList{"http://127.0.0.1:9/live.mp3#Station live.pls"}; }));
}

TEST_F(RadioViewTest, AddSavesTheStreamAndShowsANoticeThatClosesItself) {
    RadioView view;
    ASSERT_TRUE(waitPage(view, "Music"));
    RadioItem *item = entryAnswering(view, "direct", "http://127.0.0.1:9/direct.mp3\n");
    ASSERT_TRUE(item);
    item->addToStream();
    ASSERT_TRUE(waitUntil([] { return notice() != nullptr; }));
    auto *box = qobject_cast<RadioNotice *>(notice());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title(), "Stream ajouté");
    EXPECT_EQ(box->message(), "Station direct\n\nOn air");
    EXPECT_EQ(stored(), QStringList{"http://127.0.0.1:9/direct.mp3#Station direct"});
    EXPECT_TRUE(waitUntil([] { return notice() == nullptr; }, 3500));
}

// Not connected, nothing can be saved: no "Stream ajouté" either.
TEST_F(RadioViewTest, NoNoticeWhenNothingWasSaved) {
    RadioView view;
    ASSERT_TRUE(waitPage(view, "Music"));
    RadioItem *item = entryAnswering(view, "offline", "http://127.0.0.1:9/offline.mp3\n");
    ASSERT_TRUE(item);
    MPDSocket::sMPDSocket().disconnect();
    item->addToStream();
    ASSERT_TRUE(waitUntil([] { return s_http->hits("/tune/offline") == 1; }));
    spin(300);
    EXPECT_FALSE(notice());
    EXPECT_TRUE(stored().isEmpty());
}

} // namespace

TEST_F(RadioViewTest, PreviousArrowIsDrawnInThePalettesTextColour) {
    RadioView view;
    const QIcon icon = view.previousButton()->icon();
    const QPalette palette = QApplication::palette();
    // Every pixel the arrow draws, enabled or greyed, is in the text colour of its state.
    for (const auto &[mode, colour] :
         {std::pair{QIcon::Normal, palette.color(QPalette::Active, QPalette::WindowText)},
          std::pair{QIcon::Disabled, palette.color(QPalette::Disabled, QPalette::WindowText)}}) {
        const QImage image =
            icon.pixmap(QSize(18, 18), 1.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
        int drawn = 0, offPalette = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() < 128) continue;
                ++drawn;
                if (std::abs(c.red() - colour.red()) > 8 ||
                    std::abs(c.green() - colour.green()) > 8 ||
                    std::abs(c.blue() - colour.blue()) > 8)
                    ++offPalette;
            }
        }
        EXPECT_GT(drawn, 10) << mode;
        EXPECT_EQ(offPalette, 0) << mode;
    }
}

// Without a mouse: Tab goes from the search field to the page's entries in order, each
// named for screen readers; the arrows go along them; Enter opens a folder at once (the
// mouse's double click is not asked for) and plays a station.
TEST_F(RadioViewTest, EntriesTakeTheKeysInTheirOrder) {
    s_http->route("/files/key.m3u", {.body = "#EXTM3U\nhttp://127.0.0.1:9/key.mp3\n"});
    s_http->route("/keys", {.body = opml(link("Jazz", url("/jazz")) +
                                         audio("Station key", url("/files/key.m3u")))});
    RadioView view;
    view.resize(900, 600);
    view.show();
    ASSERT_TRUE(waitPage(view, "Music"));
    Radio radio;
    radio.setName("Keys");
    radio.setUrl(url("/keys"));
    view.onRadioLinkClick(radio);
    ASSERT_TRUE(waitPage(view, "Keys"));
    ASSERT_EQ(view.items().size(), 2);
    RadioItem *folder = view.items().at(0);
    RadioItem *station = view.items().at(1);
    EXPECT_EQ(folder->accessibleName(), QStringLiteral("Dossier Jazz"));
    EXPECT_EQ(station->accessibleName(), QStringLiteral("Station key"));
    // The next widget Tab stops at.
    const auto next = [](QWidget *w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    QLineEdit *search = view.radioSearchField();
    EXPECT_EQ(next(search), folder);
    EXPECT_EQ(next(folder), station);
    EXPECT_EQ(next(station), view.radioTableView());

    station->setFocus();
    QTest::keyClick(station, Qt::Key_Left);
    EXPECT_TRUE(folder->hasFocus());
    QTest::keyClick(folder, Qt::Key_Right);
    EXPECT_TRUE(station->hasFocus());
    // Shift+F10: the station's hover buttons as a menu.
    a11y::install();
    QStringList titles;
    QTimer::singleShot(0, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *action : menu->actions())
                titles << action->text();
            menu->close();
        }
    });
    QTest::keyClick(station, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(titles,
              QStringList({QStringLiteral("Écouter"), QStringLiteral("Ajouter aux streams")}));
    QTest::keyClick(station, Qt::Key_Return);
    EXPECT_TRUE(waitUntil([] { return queue() == QStringList{"http://127.0.0.1:9/key.mp3"}; }));
    folder->setFocus();
    QTest::keyClick(folder, Qt::Key_Return);
    EXPECT_TRUE(waitPage(view, "Jazz"));
}
