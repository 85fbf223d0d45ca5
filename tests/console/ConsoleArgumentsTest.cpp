// What the console makes of a line before any server is involved; the cases the fuzz
// target found or that the commands' own tests cannot reach without a server.
#include "console/ConsoleArguments.h"

#include <gtest/gtest.h>

using namespace kelvane;
namespace args = kelvane::consoleargs;

TEST(ConsoleArguments, SeekRefusesWhatIsNotAPlaceInASong) {
    // QString::toFloat reads these as numbers.
    for (const char *bad : {"nan", "inf", "-inf", " NaN ", "1e39", "-0.5", "", "12s"})
        EXPECT_FALSE(args::seconds(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(args::seconds(QStringLiteral(" 12.5 ")), 12.5f);
    EXPECT_EQ(args::seconds(QStringLiteral("0")), 0.0f);
}

TEST(ConsoleArguments, LineSplitKeepsEverythingAfterTheFirstSpace) {
    const args::Line line = args::split(QStringLiteral("renameplaylist  a b\tc\r"));
    EXPECT_EQ(line.kind, args::Line::Kind::Command);
    EXPECT_EQ(line.name, QStringLiteral("renameplaylist"));
    EXPECT_EQ(line.argument, QStringLiteral(" a b\tc"));
    EXPECT_TRUE(args::split(QStringLiteral("queue")).argument.isNull());
    EXPECT_EQ(args::split(QStringLiteral(" \t\r")).kind, args::Line::Kind::Blank);
    EXPECT_EQ(args::split(QString::fromUtf16(u"add a\0b", 7)).kind, args::Line::Kind::Invalid);
}
