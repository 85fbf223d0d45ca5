#include "ui/base/AboutDialog.h"

#include "ui/base/Icons.h"
#include "ui/base/Style.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace kelvane {

namespace {
// Close, maximise and minimise buttons and the menu on the other side of a title bar,
// with the margins of the common window managers, wide themes included.
constexpr int titleBarButtons = 200;
} // namespace

int AboutDialog::widthForTitle(const QString &title, const QFont &font) {
    // A title bar's font is often bold and larger than the application's.
    QFont bold = font;
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    return QFontMetrics(bold).horizontalAdvance(title) + titleBarButtons;
}

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("aboutDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString title = tr("À propos de Kelvane");
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);

    auto *icon = new QLabel(this);
    icon->setPixmap(Icons::pixmap(QStringLiteral("app_icon"), QSize(64, 64)));
    icon->setAlignment(Qt::AlignTop);
    auto *name =
        new QLabel(QStringLiteral("Kelvane %1").arg(QApplication::applicationVersion()), this);
    name->setObjectName(QStringLiteral("aboutName"));
    name->setFont(Style::titleFont());
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *line = new QLabel(tr("Un client pour MPD, le Music Player Daemon."), this);
    line->setWordWrap(true);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(name);
    texts->addWidget(line);
    texts->addStretch(1);
    auto *top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon);
    top->addLayout(texts, 1);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close = buttons->addButton(tr("Fermer"), QDialogButtonBox::AcceptRole);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 20, 22, 16);
    layout->setSpacing(14);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setMinimumWidth(std::max(420, widthForTitle(title, font())));
}

} // namespace kelvane
