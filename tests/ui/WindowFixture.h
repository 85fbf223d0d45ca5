#pragma once

// One private mpd for the window tests, and a MainActivity started against it the way
// the application starts (session server first, then the launch sequence).
#include "core/commands/MPDCommand.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "support/MpdServer.h"
#include "support/ServerSuite.h"
#include "support/Wait.h"
#include "ui/MainActivity.h"
#include "ui/MainWindow.h"
#include "ui/SideBar.h"

#include <QMenu>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

namespace kelvane::test {

class WindowTest : public ServerSuite {
  protected:
    static void SetUpTestSuite() {
        ServerSuite::SetUpTestSuite();
        Setting::sSetting().setSessionServer(server->host(), server->port());
        // The radio view loads its directory when shown: never from the internet here.
        Setting::sSetting().setSessionRadioBase(QStringLiteral("http://127.0.0.1:1/"));
        MPDCommand::sMPDCommand().setUpdatePollInterval(50);
    }
    static void TearDownTestSuite() {
        MPDSocket::sMPDSocket().disconnect();
        ServerSuite::TearDownTestSuite();
    }
    void SetUp() override {
        // These tests look at what the views show right after each step: the reads
        // run in place (the asynchronous path has tests of its own).
        MPDBulk::sMPDBulk().setInline(true);
        ASSERT_TRUE(server && server->isRunning());
        // A fresh start for each test: same playlists, connected, events reported anew.
        for (const QString &line : server->command(QStringLiteral("listplaylists")))
            if (line.startsWith(QLatin1String("playlist: ")))
                server->command(QStringLiteral("rm \"%1\"").arg(line.mid(10)));
        server->command(QStringLiteral("playlistadd Alpha \"Root Song.flac\""));
        server->command(QStringLiteral("playlistadd beta \"Root Song.flac\""));
        if (!MPDSocket::sMPDSocket().isConnected()) MPDSocket::sMPDSocket().connect();
        MPDCache::sMPDCache().resetStatus();
        activity = std::make_unique<MainActivity>();
        activity->applicationDidFinishLaunching();
    }
    void TearDown() override {
        activity.reset();
        flushDeletes();
    }

    // The menu's Connecter connects on a worker: waits until the attempt has ended.
    void connecter() {
        activity->connecter();
        waitUntil([] { return MPDSocket::sMPDSocket().link() != MPDSocket::Link::Connecting; });
    }
    // Views replaced in the content area go with deleteLater().
    static void flushDeletes() {
        spin(10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    SideBar *sideBar() const { return activity->window()->sideBar(); }
    QStringList menuTitles(int row) {
        QMenu menu;
        activity->menuNeedsUpdate(&menu, row);
        QStringList titles;
        for (QAction *a : menu.actions())
            titles << a->text();
        return titles;
    }

    std::unique_ptr<MainActivity> activity;
};

} // namespace kelvane::test
