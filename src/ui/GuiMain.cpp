#include "ui/GuiMain.h"

#include <QApplication>
#include <QMainWindow>

namespace kelvane {
int guiMain(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kelvane"));
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Kelvane"));
    window.resize(1100, 720);
    window.show();
    return app.exec();
}
} // namespace kelvane
