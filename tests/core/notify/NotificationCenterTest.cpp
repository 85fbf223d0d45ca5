#include "core/notify/NotificationCenter.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

using namespace kelvane;

namespace {
const QString kName = QStringLiteral("testBoxClose");
}

TEST(NotificationCenter, DeliversInfoToEveryObserverOfTheNameOnly) {
    auto &hub = NotificationCenter::defaultCenter();
    QObject a, b;
    QStringList seen;
    hub.observe(kName, &a, [&](const NotificationInfo &i) { seen << "a:" + i.value("close"); });
    hub.observe(kName, &b, [&](const NotificationInfo &i) { seen << "b:" + i.value("name"); });
    hub.observe(QStringLiteral("other"), &b, [&](const NotificationInfo &) { seen << "other"; });
    hub.post(kName, {{"close", "new"}, {"name", " ab "}});
    EXPECT_EQ(seen, QStringList({"a:new", "b: ab "}));
    hub.removeObserver(&a);
    hub.removeObserver(&b);
}

TEST(NotificationCenter, DestroyedOwnerIsNeverCalledAgain) {
    auto &hub = NotificationCenter::defaultCenter();
    int calls = 0;
    {
        auto owner = std::make_unique<QObject>();
        hub.observe(kName, owner.get(), [&](const NotificationInfo &) { ++calls; });
        hub.post(kName);
        EXPECT_EQ(hub.observerCount(kName), 1);
    }
    hub.post(kName);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(hub.observerCount(kName), 0);
}

TEST(NotificationCenter, ObserverRemovedDuringDeliveryIsSkipped) {
    auto &hub = NotificationCenter::defaultCenter();
    QObject first;
    auto second = std::make_unique<QObject>();
    int secondCalls = 0;
    // The first observer destroys the second one's owner, as a dialog answer may close a view.
    hub.observe(kName, &first, [&](const NotificationInfo &) { second.reset(); });
    hub.observe(kName, second.get(), [&](const NotificationInfo &) { ++secondCalls; });
    hub.post(kName);
    EXPECT_EQ(secondCalls, 0);
    hub.removeObserver(&first);
}

TEST(NotificationCenter, RemoveByIdAndByNameLeaveTheRest) {
    auto &hub = NotificationCenter::defaultCenter();
    QObject owner;
    int x = 0, y = 0;
    const quint64 idX = hub.observe(kName, &owner, [&](const NotificationInfo &) { ++x; });
    hub.observe(QStringLiteral("y"), &owner, [&](const NotificationInfo &) { ++y; });
    hub.removeObserver(idX);
    hub.post(kName);
    hub.post(QStringLiteral("y"));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 1);
    hub.removeObserver(&owner, QStringLiteral("y"));
    hub.post(QStringLiteral("y"));
    EXPECT_EQ(y, 1);
    EXPECT_EQ(hub.observe(kName, nullptr, [](const NotificationInfo &) {}), 0u);
}

TEST(NotificationCenter, PostFromAnotherThreadArrivesOnTheGuiThread) {
    auto &hub = NotificationCenter::defaultCenter();
    QObject owner;
    QThread *deliveredOn = nullptr;
    hub.observe(kName, &owner,
                [&](const NotificationInfo &) { deliveredOn = QThread::currentThread(); });
    std::unique_ptr<QThread> worker(QThread::create([&] { hub.post(kName); }));
    worker->start();
    worker->wait();
    EXPECT_EQ(deliveredOn, nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(deliveredOn, QCoreApplication::instance()->thread());
    hub.removeObserver(&owner);
}
