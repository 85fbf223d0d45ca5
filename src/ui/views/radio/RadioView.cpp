#include "ui/views/radio/RadioView.h"

#include "core/mpd/MPDCache.h"
#include "core/radio/RadioState.h"
#include "ui/base/Accessibility.h"
#include "ui/base/Icons.h"
#include "ui/base/Style.h"
#include "ui/views/radio/BusySpinner.h"
#include "ui/views/radio/FlowLayout.h"
#include "ui/views/radio/RadioItem.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace kelvane {

RadioView::RadioView(QWidget *parent) : QWidget(parent), m_state(RadioState::sRadioState()) {
    setObjectName(QStringLiteral("RadioView"));

    m_table = new QListWidget(this);
    m_table->setObjectName(QStringLiteral("radioTableView"));
    m_table->setFixedWidth(210);
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setUniformItemSizes(true);
    m_table->setStyleSheet(QStringLiteral("QListWidget::item { padding: 5px 2px; }"));

    m_previous = new QToolButton(this);
    m_previous->setObjectName(QStringLiteral("previousButton"));
    // Drawn in the palette's text colour, like the window's other icons.
    m_previous->setIcon(Icons::icon(QStringLiteral("back_button")));
    m_previous->setIconSize(QSize(18, 18));
    m_previous->setAutoRaise(true);
    m_previous->setToolTip(tr("Page précédente"));

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("titreCollectionView"));
    m_title->setFont(Style::titleFont());
    m_title->setTextFormat(Qt::PlainText);
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_spinner = new BusySpinner(this);
    m_spinner->setObjectName(QStringLiteral("progressCircle"));

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("radioSearchField"));
    m_search->setPlaceholderText(tr("Rechercher une radio"));
    m_search->setClearButtonEnabled(true);
    m_search->setFixedWidth(240);
    a11y::nameSearchField(m_search, tr("Rechercher une radio"),
                          tr("Entrée lance la recherche dans l'annuaire"));
    m_table->setAccessibleName(tr("Catégories"));
    m_previous->setAccessibleName(tr("Page précédente"));

    auto *top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(m_previous);
    top->addWidget(m_title, 1);
    top->addWidget(m_spinner);
    top->addWidget(m_search);

    m_grid = new QWidget;
    m_grid->setObjectName(QStringLiteral("radioCollectionView"));
    m_flow = new FlowLayout(m_grid, 14);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidget(m_grid);
    // The items take the focus themselves; the area around them is no stop of its own.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_grid->setAccessibleName(tr("Radios"));

    m_empty = new QLabel(tr("Aucune entrée"), this);
    m_empty->setAlignment(Qt::AlignCenter);
    Style::setTextColor(m_empty, Style::secondaryLabelColor());
    m_empty->hide();

    auto *right = new QVBoxLayout;
    right->setContentsMargins(10, 8, 10, 0);
    right->addLayout(top);
    right->addWidget(m_scroll, 1);
    right->addWidget(m_empty, 1);

    auto *separator = new QFrame(this);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Plain);
    Style::setTextColor(separator, Style::separatorColor());

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_table);
    layout->addWidget(separator);
    layout->addLayout(right, 1);
    // Tab: the page's back button, the search field, the page's items (showPage puts
    // them there), then the categories.
    setTabOrder(m_previous, m_search);
    setTabOrder(m_search, m_table);

    connect(m_table, &QListWidget::clicked, this,
            [this](const QModelIndex &index) { m_state.onIndexClick(index.row()); });
    // Return on a category opens it, as a click does.
    m_table->installEventFilter(this);
    // Only whole search strings: the field searches on Return, not on every keystroke.
    connect(m_search, &QLineEdit::returnPressed, this, &RadioView::search);
    connect(m_previous, &QToolButton::clicked, &m_state, &RadioState::previousButton);

    connect(&m_state, &RadioState::indexChanged, this, &RadioView::updateTable);
    connect(&m_state, &RadioState::pageLoading, this, [this](const QString &title) {
        m_title->setText(title);
        setLoading(true);
    });
    connect(&m_state, &RadioState::pageShown, this, &RadioView::showPage);
    connect(&m_state, &RadioState::clickLockedChanged, this, &RadioView::setLoading);
    connect(&m_state, &RadioState::historyChanged, this,
            [this](int size) { m_previous->setEnabled(size > 1); });

    MPDCache::sMPDCache().setDelegateRadio(this);
    m_previous->setEnabled(m_state.radioNavigationHistorique().size() > 1);
    updateTable(m_state.radioArrayTableIndex());
    m_state.start();
    setLoading(m_state.clickLocked());
}

RadioView::~RadioView() {
    MPDCache::sMPDCache().release(this);
}

void RadioView::onRadioLinkClick(const Radio &radio) {
    m_state.onRadioLinkClick(radio);
}

bool RadioView::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_state.onIndexClick(m_table->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RadioView::search() {
    m_state.onSearch(m_search->text());
}

void RadioView::updateTable(const QList<Radio> &categories) {
    m_table->clear();
    for (const Radio &category : categories) {
        const QString name = category.radioName();
        m_table->addItem(name.isNull() ? QStringLiteral("") : QStringLiteral("  %1").arg(name));
    }
    if (m_table->count() > 0) m_table->setCurrentRow(0);
}

void RadioView::showPage(const QString &title, const QList<DirectoryItem> &entries) {
    m_title->setText(title);
    // The click that led here may be running inside one of these items: they go once
    // it has returned.
    for (RadioItem *item : std::as_const(m_items)) {
        m_flow->removeWidget(item);
        item->hide();
        item->deleteLater();
    }
    m_items.clear();
    QWidget *before = m_search;
    for (const DirectoryItem &entry : entries) {
        auto *item = new RadioItem(m_grid);
        setTabOrder(before, item);
        before = item;
        item->setRepresentedObject(entry);
        m_flow->addWidget(item);
        item->show(); // now, not on the layout's queued show: the page is complete when shown
        m_items.append(item);
    }
    m_scroll->setVisible(!entries.isEmpty());
    m_empty->setVisible(entries.isEmpty());
    m_scroll->verticalScrollBar()->setValue(0);
    m_grid->updateGeometry();
}

void RadioView::setLoading(bool loading) {
    if (loading)
        m_spinner->start();
    else
        m_spinner->stop();
}

} // namespace kelvane
