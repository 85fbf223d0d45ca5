// Shared main() of every test executable: the fixtures (local servers, image and
// widget code) need a Qt application object alive for the whole run.
#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Keep tests away from the user's settings and caches.
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KelvaneTests"));
    QApplication::setApplicationName(QStringLiteral("KelvaneTests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
