#pragma once

// A private mpd shared by the stream tests, the core's connection pointed at it, and
// "[Radio Streams]" rewritten before each test through the server's own protocol.
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDSocket.h"
#include "core/notify/NotificationCenter.h"
#include "core/settings/Setting.h"
#include "support/MpdServer.h"
#include "ui/base/ConfirmDialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace kelvane::test {

class StreamFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { s_server = std::make_unique<MpdServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override {
        // Reads in place: these tests look at the list right after each step.
        MPDBulk::sMPDBulk().setInline(true);
        ASSERT_TRUE(s_server && s_server->isRunning());
        s_server->command(QStringLiteral("rm \"[Radio Streams]\""));
        Setting::sSetting().setSessionServer(s_server->host(), s_server->port());
        MPDSocket::sMPDSocket().connect();
    }
    void TearDown() override {
        for (QWidget *window : QApplication::topLevelWidgets())
            window->close();
        QApplication::processEvents();
        MPDSocket::sMPDSocket().disconnect();
    }

    // Writes the entries ("url#name") in order.
    static void store(const QStringList &entries) {
        for (const QString &entry : entries)
            s_server->command(QStringLiteral("playlistadd \"[Radio Streams]\" \"%1\"").arg(entry));
    }
    // The entries as the server holds them, in order.
    static QStringList stored() {
        QStringList entries;
        for (const QString &line :
             s_server->command(QStringLiteral("listplaylist \"[Radio Streams]\""))) {
            if (line.startsWith(QLatin1String("file: "))) entries << line.mid(6);
        }
        return entries;
    }
    // The visible top-level window of that object name, if any.
    static QWidget *openWindow(const QString &objectName) {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->objectName() == objectName) return window;
        }
        return nullptr;
    }
    static bool showsText(const QWidget *window, const QString &text) {
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            if (label->text() == text) return true;
        }
        return false;
    }
    // Answers the open deletion confirmation as its buttons do.
    static void answerConfirmation(QWidget *dialog, const QString &close) {
        auto *confirm = qobject_cast<ConfirmDialog *>(dialog);
        ASSERT_TRUE(confirm);
        if (close == QLatin1String("delete"))
            confirm->deleteButton()->click();
        else
            confirm->cancelButton()->click();
    }

    static inline std::unique_ptr<MpdServer> s_server;
};

} // namespace kelvane::test
