#pragma once

// The library views against a private mpd holding the standard library, with the core's
// one connection pointed at it and the covers served by a local web server.
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "support/HttpServer.h"
#include "support/MpdServer.h"
#include "support/ServerSuite.h"
#include "support/Wait.h"
#include "ui/views/library/SongSearchPanel.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

namespace kelvane::test {

class ViewTest : public ServerSuite {
  protected:
    static void SetUpTestSuite() {
        ServerSuite::SetUpTestSuite();
        covers = new HttpServer;
        covers->serveDirectory(QStringLiteral("/"), server->musicDir());
    }
    static void TearDownTestSuite() {
        delete covers;
        covers = nullptr;
        ServerSuite::TearDownTestSuite();
    }
    void SetUp() override {
        // These tests look at what the views show right after each step: the reads
        // run in place (the asynchronous path has tests of its own).
        MPDBulk::sMPDBulk().setInline(true);
        SongSearchPanel::setSearchesInline(true);
        ASSERT_TRUE(server && server->isRunning());
        server->command(QStringLiteral("stop"));
        server->command(QStringLiteral("clear"));
        Setting::sSetting().setSessionServer(server->host(), server->port());
        Setting::sSetting().setSessionHTTP(QStringLiteral("127.0.0.1:%1").arg(covers->port()));
        MPDSocket::sMPDSocket().connect();
        ASSERT_TRUE(MPDSocket::sMPDSocket().isConnected());
        MPDCache::sMPDCache().setCurrentAlbumList(std::nullopt);
    }
    void TearDown() override { MPDSocket::sMPDSocket().disconnect(); }

    // The queue's files, in order.
    static QStringList queueFiles() {
        QStringList files;
        for (const QString &line : server->command(QStringLiteral("playlistinfo"))) {
            if (line.startsWith(QLatin1String("file: "))) files << line.mid(6);
        }
        return files;
    }
    static QString statusValue(const QString &key) {
        return server->value(QStringLiteral("status"), key);
    }
    static void queueFilesOf(const QStringList &files) {
        for (const QString &file : files)
            server->command(QStringLiteral("add ") + MpdServer::quote(file));
    }
    // Lets the poll run until the cache has seen the server's state.
    static bool pollUntil(std::function<bool(const MPDStatus &)> pred, int timeoutMs = 3000) {
        return waitUntil(
            [&] {
                const auto &status = MPDCache::sMPDCache().getStatus();
                return status && pred(*status);
            },
            timeoutMs);
    }

    static inline HttpServer *covers = nullptr;
};

} // namespace kelvane::test
