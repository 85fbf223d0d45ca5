// Which language a run speaks, and that the translations it installs are the ones used:
// Kelvane's own (a fixed table of alerts included) and Qt's.
#include "core/settings/Language.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QSettings>
#include <gtest/gtest.h>

namespace kelvane {
namespace {

const QString fr = QStringLiteral("fr"), en = QStringLiteral("en");

TEST(Language, DesktopLanguagesPickTheFirstWeSpeakElseFrench) {
    EXPECT_EQ(language::fromDesktop({"fr-FR", "fr-Latn-FR", "fr"}), fr);
    EXPECT_EQ(language::fromDesktop({"en-US", "en-Latn-US", "en"}), en);
    EXPECT_EQ(language::fromDesktop({"en_GB"}), en);
    EXPECT_EQ(language::fromDesktop({"fr-CA", "en"}), fr);
    // A LANGUAGE list that puts a language we lack first falls through to the next.
    EXPECT_EQ(language::fromDesktop({"de-DE", "en-GB"}), en);
    // Neither ours, nothing at all, the C locale: the original French.
    EXPECT_EQ(language::fromDesktop({"de-DE", "de"}), fr);
    EXPECT_EQ(language::fromDesktop({}), fr);
    EXPECT_EQ(language::fromDesktop({"C"}), fr);
    // "english" and "frisian" are not our languages, whatever their first letters.
    EXPECT_EQ(language::fromDesktop({"fy-NL", "eo"}), fr);
}

class StoredLanguage : public ::testing::Test {
  protected:
    void TearDown() override {
        QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane")).remove("language");
        language::install(fr);
    }
};

TEST_F(StoredLanguage, ChoiceOverridesTheDesktopAndJunkMeansAutomatic) {
    // The suite runs under fr_FR.UTF-8.
    EXPECT_EQ(language::storedChoice(), language::Choice::Automatic);
    EXPECT_EQ(language::chosen(), language::desktopLanguage());
    language::storeChoice(language::Choice::English);
    EXPECT_EQ(language::chosen(), en);
    language::storeChoice(language::Choice::French);
    EXPECT_EQ(language::chosen(), fr);
    QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane"))
        .setValue("language", QStringLiteral("klingon"));
    EXPECT_EQ(language::storedChoice(), language::Choice::Automatic);
    language::storeChoice(language::Choice::Automatic);
    EXPECT_EQ(language::storedChoice(), language::Choice::Automatic);
}

TEST_F(StoredLanguage, EnglishAndBackToFrenchWithQtsOwnTexts) {
    ASSERT_TRUE(language::install(en));
    EXPECT_EQ(language::installed(), en);
    EXPECT_EQ(QCoreApplication::translate("kelvane::SongSearchPanel", "%n titre(s)", "", 1),
              QStringLiteral("1 song"));
    EXPECT_EQ(QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText),
              QStringLiteral("Space"));

    ASSERT_TRUE(language::install(fr));
    // Qt's own key names, in the menus' shortcuts.
    EXPECT_EQ(QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText),
              QStringLiteral("Espace"));
    EXPECT_EQ(QKeySequence(QStringLiteral("Ctrl+Right")).toString(QKeySequence::NativeText),
              QStringLiteral("Ctrl+Droite"));
    // French plurals come from French's own file: one and many differ.
    EXPECT_EQ(QCoreApplication::translate("kelvane::SongSearchPanel", "%n titre(s)", "", 1),
              QStringLiteral("1 titre"));
    EXPECT_EQ(QCoreApplication::translate("kelvane::SongSearchPanel", "%n titre(s)", "", 12),
              QStringLiteral("12 titres"));
}

} // namespace
} // namespace kelvane
