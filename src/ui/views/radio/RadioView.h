#pragma once

#include "core/mpd/MPDDelegates.h"
#include "core/radio/Radio.h"

#include <QList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QScrollArea;
class QToolButton;

namespace kelvane {

class BusySpinner;
class FlowLayout;
class RadioItem;
class RadioState;

// The online radio directory: the top categories on the left, and on the right the
// page on display as a grid of entries under its title, with a "previous" button, a
// search field and a spinner while a page loads. Navigation (loading, cache, history)
// is RadioState's, process-wide, so it outlives this view; the main window makes a
// new view each time its radio entry is chosen, and each one opens the first category.
// The view is MPDCache's radio listener while it lives, so folder double-clicks in the
// grid reach it. GUI thread.
class RadioView : public QWidget, public MPDRadioDelegate {
    Q_OBJECT
  public:
    explicit RadioView(QWidget *parent = nullptr);
    ~RadioView() override;

    QLabel *titreCollectionView() const { return m_title; }
    BusySpinner *progressCircle() const { return m_spinner; }
    QLineEdit *radioSearchField() const { return m_search; }
    QListWidget *radioTableView() const { return m_table; }
    QToolButton *previousButton() const { return m_previous; }
    // The entries of the page on display, in the page's order.
    QList<RadioItem *> items() const { return m_items; }

    void onRadioLinkClick(const Radio &radio) override;

  public Q_SLOTS:
    void search();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void updateTable(const QList<Radio> &categories);
    void showPage(const QString &title, const QList<DirectoryItem> &entries);
    void setLoading(bool loading);

    RadioState &m_state;
    QListWidget *m_table;
    QLabel *m_title;
    QLineEdit *m_search;
    QToolButton *m_previous;
    BusySpinner *m_spinner;
    QScrollArea *m_scroll;
    QWidget *m_grid;
    FlowLayout *m_flow;
    QLabel *m_empty;
    QList<RadioItem *> m_items;
};

} // namespace kelvane
