#include "core/radio/RadioLoader.h"

#include <gtest/gtest.h>

using namespace kelvane;

namespace {

const RadioLoader &loader() {
    return RadioLoader::sRadioLoader();
}

QString text(const char *raw) {
    return QString::fromUtf8(raw);
}

// A category page as the directory serves it: a heading outline holding a link and
// two stations, the second with neither description nor logo.
const char *jazzPage = R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="1">
	<head>
	<title>Jazz</title>
	<status>200</status>
	</head>
	<body>
	<outline text="Stations" key="stations">
	<outline type="link" text="Smooth Jazz - 42" URL="http://opml.example/Browse.ashx?id=g1&amp;filter=s" guide_id="g1" key="smooth"/>
	<outline type="audio" text="Radio Caf&amp;eacute; - Paris" URL="http://opml.example/Tune.ashx?id=s1&amp;formats=aac" bitrate="128" reliability="99" guide_id="s1" subtext="Jazz &amp;amp; blues" genre_id="g1" formats="aac" item="station" image="http://logos.example/s1q.png" now_playing_id="s1" preset_id="s1"/>
	<outline type="audio" text="Bare Station" URL="http://opml.example/Tune.ashx?id=s2" guide_id="s2"/>
	</outline>
	</body>
</opml>
)";

} // namespace

TEST(RadioScraping, CategoryPageInDocumentOrder) {
    const QList<Radio> radios = loader().tri(text(jazzPage));
    ASSERT_EQ(radios.size(), 3);

    EXPECT_EQ(radios[0].link(), u"yes");
    EXPECT_EQ(radios[0].radioName(), u"Smooth Jazz - 42");
    EXPECT_EQ(radios[0].radioUrl(), u"http://opml.example/Browse.ashx?id=g1&filter=s");
    EXPECT_EQ(radios[0].radioLogoUrl(), u"null");
    EXPECT_TRUE(radios[0].radioDescription().isNull());

    EXPECT_EQ(radios[1].link(), u"no");
    EXPECT_EQ(radios[1].radioName(), u"Radio Café - Paris");
    EXPECT_EQ(radios[1].radioUrl(), u"http://opml.example/Tune.ashx?id=s1&formats=aac");
    EXPECT_EQ(radios[1].radioDescription(), u"Jazz & blues"); // "&amp;amp;" shows "&"
    EXPECT_EQ(radios[1].radioLogoUrl(), u"http://logos.example/s1q.png");

    EXPECT_EQ(radios[2].radioName(), u"Bare Station");
    EXPECT_TRUE(radios[2].radioDescription().isNull());
    EXPECT_TRUE(radios[2].radioLogoUrl().isNull());
}

TEST(RadioScraping, DirectoryItemsFillAbsentFields) {
    const QList<DirectoryItem> items = directoryItems(loader().tri(text(jazzPage)));
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].keys(), (QStringList{"isLink", "logo", "name", "subtext", "url"}));
    EXPECT_EQ(items[0].value("subtext"), u"");
    EXPECT_EQ(items[0].value("isLink"), u"yes");
    EXPECT_EQ(items[2].value("logo"), u"null");
    EXPECT_EQ(items[2].value("subtext"), u"");
    EXPECT_EQ(items[2].value("isLink"), u"no");
    EXPECT_EQ(directoryItem(Radio()).value("name"), u"");
}

TEST(RadioScraping, TextAttributeFirstInItsElementIsNotRead) {
    const QList<Radio> radios = loader().tri(text(R"(<opml><head><status>200</status></head><body>
<outline text="Popular" type="link" URL="http://opml.example/Browse.ashx?c=pop"/>
</body></opml>)"));
    ASSERT_EQ(radios.size(), 1);
    EXPECT_TRUE(radios[0].radioName().isNull());
    EXPECT_EQ(directoryItem(radios[0]).value("name"), u"");
    EXPECT_EQ(radios[0].radioUrl(), u"http://opml.example/Browse.ashx?c=pop");
}

TEST(RadioScraping, EmptyAddressAndEmptyNameSentinels) {
    const QList<Radio> radios = loader().tri(text(R"(<opml><head><status>200</status></head><body>
<outline type="audio" text="" URL="" guide_id="s9"/>
<outline type="link" text="" URL=""/>
</body></opml>)"));
    ASSERT_EQ(radios.size(), 2);
    EXPECT_EQ(radios[0].radioUrl(), u"null0");
    EXPECT_EQ(radios[0].radioName(), u"null1");
    EXPECT_EQ(radios[1].radioUrl(), u"null0");
    EXPECT_EQ(radios[1].radioName(), u"null1");
}

TEST(RadioScraping, EncodedQuoteEndsTheName) {
    const QList<Radio> radios = loader().tri(text(R"(<opml><head><status>200</status></head><body>
<outline type="audio" text="Radio &quot;Nova&quot; FM" URL="http://opml.example/Tune.ashx?id=s3"/>
</body></opml>)"));
    ASSERT_EQ(radios.size(), 1);
    EXPECT_EQ(radios[0].radioName(), u"Radio ");
    EXPECT_EQ(radios[0].radioUrl(), u"http://opml.example/Tune.ashx?id=s3");
}

TEST(RadioScraping, LinkAndAudioOnOneLineIsALink) {
    const QList<Radio> radios = loader().tri(text(R"(<opml><head><status>200</status></head><body>
<outline type="link" text="Both" URL="http://opml.example/a" note="type="audio""/>
</body></opml>)"));
    ASSERT_EQ(radios.size(), 1);
    EXPECT_EQ(radios[0].link(), u"yes");
}

TEST(RadioScraping, TextOutlinesOnlyGiveAnEmptyList) {
    const char *page = R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="1">
<head><title>Nothing</title><status>200</status></head>
<body>
<outline type="text" text="No stations or shows available" key="nodata"/>
</body>
</opml>
)";
    EXPECT_TRUE(loader().tri(text(page)).isEmpty());
    EXPECT_TRUE(loader().radioList(text(page)).isEmpty());
}

TEST(RadioScraping, StatusOtherThan200GivesAnEmptyListNotAnError) {
    const char *page =
        R"(<opml version="1"><head><status>400</status><fault>Invalid root category</fault></head>
<body><outline type="link" text="Ignored" URL="http://opml.example/x"/></body></opml>)";
    EXPECT_FALSE(loader().regimeSec(text(page)).has_value());
    EXPECT_TRUE(loader().radioList(text(page)).isEmpty());
}

TEST(RadioScraping, RefusedOrEmptyDocumentsAreErrorEntries) {
    const QList<Radio> refused = loader().radioList(
        text("<html><body><h2>403 - Forbidden: Access is denied.</h2></body></html>"));
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0].radioName(), u"403 - Forbidden: Access is denied");
    EXPECT_EQ(refused[0].radioUrl(), u"0");
    EXPECT_EQ(refused[0].link(), u"yes");
    for (const QString &nothing : {QString(), QStringLiteral("")}) {
        const QList<Radio> failed = loader().radioList(nothing);
        ASSERT_EQ(failed.size(), 1);
        EXPECT_EQ(failed[0].radioName(), u"Erreur de connexion");
        EXPECT_EQ(failed[0].radioUrl(), u"0");
    }
    EXPECT_EQ(loader().error(QStringLiteral("x")).radioName(), u"Erreur de connexion");
    EXPECT_EQ(loader().error(QStringLiteral("xy")).radioName(),
              u"403 - Forbidden: Access is denied");
}

TEST(RadioScraping, MalformedPiecesLeaveFieldsAbsent) {
    EXPECT_TRUE(loader().getUrl(QStringLiteral("URL=http://x")).isNull());
    EXPECT_TRUE(loader().getUrl(QStringLiteral("URL=\"http://unclosed")).isNull());
    EXPECT_EQ(loader().getSubText(QStringLiteral("subtext=\"\"")), u"");
    EXPECT_FALSE(loader().getSubText(QStringLiteral("subtext=\"\"")).isNull());
    EXPECT_EQ(loader().getImage(QStringLiteral("image=\"\"")), u"");
}

TEST(RadioScraping, PagesWithoutOutlinesOrWithoutBodyEnd) {
    EXPECT_TRUE(loader()
                    .tri(text("<opml><head><status>200</status></head><body></body></opml>"))
                    .isEmpty());
    const QList<Radio> cut =
        loader().tri(text("<opml><head><status>200</status></head><body>\n<outline type=\"link\" "
                          "text=\"A\" URL=\"http://a\"/>\n<outl"));
    ASSERT_EQ(cut.size(), 1);
    EXPECT_EQ(cut[0].radioName(), u"A");
}

TEST(RadioScraping, HostileLinesDoNotStopTheParser) {
    QString huge = QStringLiteral("<opml><head><status>200</status></head><body>");
    for (int i = 0; i < 2000; ++i)
        huge += QStringLiteral(
            "<outline type=\"audio\" text=\"&#x1F600;&&&;;\" URL=\"\" subtext=\"\"\"\"");
    const QList<Radio> radios = loader().tri(huge);
    EXPECT_EQ(radios.size(), 1); // one line, one entry
}
