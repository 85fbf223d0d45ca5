#include "core/notify/NotificationCenter.h"
#include "ui/base/ConfirmDialog.h"
#include "ui/base/SetNameDialog.h"
#include "ui/base/Style.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace kelvane;

namespace {
// Collects the answers posted under one name.
struct Answers {
    explicit Answers(const QString &name) {
        NotificationCenter::defaultCenter().observe(
            name, &owner, [this](const NotificationInfo &i) { list << i; });
    }
    QObject owner;
    QList<NotificationInfo> list;
};
const QString kBox = QStringLiteral("testDialogBoxClose");
} // namespace

TEST(ConfirmDialog, ButtonsPostDeleteOrCancelOnce) {
    Answers answers(kBox);
    ConfirmDialog dialog(
        QStringList{QStringLiteral("Supprimer une playlist"), QStringLiteral("Confirmer ?"), kBox});
    dialog.showWindow();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Supprimer une playlist"));
    EXPECT_EQ(dialog.textInfo()->text(), QStringLiteral("Confirmer ?"));
    dialog.deleteButton()->click();
    dialog.cancelButton()->click(); // already answered
    ASSERT_EQ(answers.list.size(), 1);
    EXPECT_EQ(answers.list[0], NotificationInfo({{"close", "delete"}}));
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ConfirmDialog, WindowCloseButtonAnswersCancel) {
    Answers answers(kBox);
    ConfirmDialog dialog(QStringLiteral("t"), QStringLiteral("q"), kBox);
    dialog.showWindow();
    dialog.close();
    ASSERT_EQ(answers.list.size(), 1);
    EXPECT_EQ(answers.list[0], NotificationInfo({{"close", "cancel"}}));
}

TEST(SetNameDialog, NameNeedsTwoCharactersAndIsPostedUntrimmed) {
    Answers answers(kBox);
    SetNameDialog dialog(QStringLiteral("Nouvelle playlist"), kBox, QStringLiteral("new"));
    dialog.showWindow();
    dialog.ok();
    dialog.textField()->setText(QStringLiteral("a"));
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    dialog.ok();
    EXPECT_TRUE(answers.list.isEmpty());
    EXPECT_TRUE(dialog.isVisible());

    dialog.textField()->setText(QStringLiteral(" ab "));
    QTest::keyClick(dialog.textField(), Qt::Key_Return);
    ASSERT_EQ(answers.list.size(), 1);
    EXPECT_EQ(answers.list[0], NotificationInfo({{"close", "new"}, {"name", " ab "}}));
    EXPECT_FALSE(dialog.isVisible());
}

TEST(SetNameDialog, CancelEscapeAndCloseAnswerCancelWithoutName) {
    Answers answers(kBox);
    SetNameDialog byButton(QStringList{QStringLiteral("t"), kBox, QStringLiteral("save")});
    byButton.textField()->setText(QStringLiteral("typed"));
    byButton.cancelButton()->click();

    SetNameDialog byEscape(QStringLiteral("t"), kBox, QStringLiteral("rename"));
    byEscape.showWindow();
    QTest::keyClick(&byEscape, Qt::Key_Escape);

    SetNameDialog byClose(QStringLiteral("t"), kBox, QStringLiteral("rename"));
    byClose.showWindow();
    byClose.close();
    byClose.close();

    ASSERT_EQ(answers.list.size(), 3);
    for (const NotificationInfo &info : answers.list)
        EXPECT_EQ(info, NotificationInfo({{"close", "cancel"}}));
}

TEST(SetNameDialog, ControlCharactersTurnTheLabelRedAndAreRefused) {
    Answers answers(kBox);
    SetNameDialog dialog(QStringLiteral("Nouvelle playlist"), kBox, QStringLiteral("new"));
    dialog.showWindow();
    const QColor normal = dialog.label()->palette().color(QPalette::WindowText);
    ASSERT_NE(normal, Style::errorRed());
    for (const QString &bad :
         QStringList{QStringLiteral("Jazz FM\nclear\nping"), QStringLiteral("a\tb"),
                     QStringLiteral("ab\r"), QStringLiteral("ab") + QChar(0x7f),
                     QStringLiteral("ab") + QChar(0x1f), QStringLiteral("ab") + QChar(0)}) {
        dialog.textField()->setText(bad);
        EXPECT_EQ(dialog.label()->palette().color(QPalette::WindowText), Style::errorRed());
        EXPECT_FALSE(dialog.label()->toolTip().isEmpty());
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        dialog.ok();
        QTest::keyClick(dialog.textField(), Qt::Key_Return);
    }
    EXPECT_TRUE(answers.list.isEmpty());
    EXPECT_TRUE(dialog.isVisible());

    // Characters beyond the controls are names like any other; the label comes back.
    dialog.textField()->setText(QStringLiteral("Nuit \u00e9t\u00e9 \u00a0\u2028"));
    EXPECT_NE(dialog.label()->palette().color(QPalette::WindowText), Style::errorRed());
    EXPECT_TRUE(dialog.label()->toolTip().isEmpty());
    dialog.ok();
    ASSERT_EQ(answers.list.size(), 1);
    EXPECT_EQ(answers.list[0].value(QStringLiteral("name")),
              QStringLiteral("Nuit \u00e9t\u00e9 \u00a0\u2028"));
}
