#include "ui/MainWindow.h"

#include "ui/NowPlayingBar.h"
#include "ui/SideBar.h"
#include "ui/base/Accessibility.h"
#include "ui/base/Icons.h"
#include "ui/base/Style.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace kelvane {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent) {
    // Before the first widget: with a screen reader on, each widget's accessible
    // interface is made when the widget is.
    a11y::install();
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Kelvane"));
    setWindowIcon(Icons::icon(QStringLiteral("app_icon")));
    resize(1180, 760);
    setMinimumSize(760, 480);

    m_sideBar = new SideBar;
    m_sideBarView = new QWidget;
    m_sideBarView->setObjectName(QStringLiteral("sideBarView"));
    auto *sideLayout = new QVBoxLayout(m_sideBarView);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_sideBar);
    m_sideBarView->setMinimumWidth(170);

    m_contentTitle = new QLabel;
    m_contentTitle->setObjectName(QStringLiteral("contentTitle"));
    QFont titleFont = Style::titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    titleFont.setWeight(QFont::Bold);
    m_contentTitle->setFont(titleFont);
    m_addRadio =
        new QPushButton(Icons::icon(QStringLiteral("add_accent")), tr("Ajouter un stream"));
    m_addRadio->setObjectName(QStringLiteral("addRadio"));
    m_addRadio->setCursor(Qt::PointingHandCursor);
    m_addRadio->setIconSize(QSize(14, 14));
    m_addRadio->hide();
    auto *titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(22, 14, 18, 8);
    titleRow->addWidget(m_contentTitle);
    titleRow->addStretch();
    titleRow->addWidget(m_addRadio);

    m_masterView = new QWidget;
    m_masterView->setObjectName(QStringLiteral("masterView"));
    m_masterLayout = new QVBoxLayout(m_masterView);
    m_masterLayout->setContentsMargins(0, 0, 0, 0);

    m_contentPane = new QWidget;
    m_contentPane->setObjectName(QStringLiteral("contentPane"));
    auto *contentLayout = new QVBoxLayout(m_contentPane);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(0);
    contentLayout->addLayout(titleRow);
    contentLayout->addWidget(m_masterView, 1);

    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->addWidget(m_sideBarView);
    m_splitter->addWidget(m_contentPane);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(1);
    // Resizing the window resizes only the content: the sidebar keeps its width.
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({220, 960});

    m_bar = new NowPlayingBar;
    auto *central = new QWidget;
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_splitter, 1);
    column->addWidget(m_bar);
    setCentralWidget(central);
    applyPalette();
}

void MainWindow::applyPalette() {
    const QColor accent = Style::accent();
    m_addRadio->setStyleSheet(
        QStringLiteral(
            "QPushButton#addRadio { color: %1; border: 1px solid %1; border-radius: 13px;"
            " padding: 4px 14px; background: transparent; }"
            "QPushButton#addRadio:hover { background: rgba(%2,%3,%4,0.14); }"
            "QPushButton#addRadio:pressed { background: rgba(%2,%3,%4,0.28); }"
            "QPushButton#addRadio:disabled { color: gray; border-color: gray; }")
            .arg(accent.name())
            .arg(accent.red())
            .arg(accent.green())
            .arg(accent.blue()));
    m_splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: %1; }")
                                  .arg(Style::separatorColor().name()));
    QPalette side = m_sideBarView->palette();
    side.setColor(QPalette::Window, Style::sidebarBackground());
    m_sideBarView->setPalette(side);
    m_sideBarView->setAutoFillBackground(true);
}

bool MainWindow::event(QEvent *e) {
    if (e->type() == QEvent::ApplicationPaletteChange) applyPalette();
    return QMainWindow::event(e);
}

void MainWindow::setContentView(QWidget *view) {
    if (!view) return;
    m_masterLayout->addWidget(view);
    view->show();
    // Tab goes through the view first (its search field, then its grid or list, as the
    // view orders them), then to the sidebar. The view's widgets sit together in the
    // focus chain, created under it; the sidebar moves to right after the last of them.
    QWidget *last = nullptr;
    for (QWidget *w = view->nextInFocusChain(); w != view && view->isAncestorOf(w);
         w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) last = w;
    if (last) setTabOrder(last, m_sideBar);
}

} // namespace kelvane
