#pragma once

#include "core/radio/Radio.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

namespace kelvane {

// One visited directory page of the browsing history.
struct RadioHistoryEntry {
    QString url;
    QString name;
    bool operator==(const RadioHistoryEntry &) const = default;
};

// The radio browser's navigation state and logic, without widgets: the root page
// (the categories), a cache of pages by address, the history behind "previous", and
// the page on display. Lives on the GUI thread; every public method is called there.
// Fetching and parsing run on QThreadPool::globalInstance(), one task per load; the
// display step comes back to the GUI thread and is announced by signals.
//
// Driving it from a view:
//   connect the signals, then call start() when the view is created (each time: the
//   root page is fetched once per state, again only while it has failed, and the
//   first category is opened and pushed);
//   onIndexClick(row) for a category, onRadioLinkClick(radio) for a folder
//   double-click (ignored while clickLocked()), onSearch(text) for the search field,
//   previousButton() for "previous".
//   pageLoading(title) → set the title, show the spinner (clickLockedChanged tells
//   when to hide it); pageShown(title, entries) → fill the grid; indexChanged →
//   reload the category table and select row 0; historyChanged(size) → "previous"
//   is useful when size > 1.
//
// Rules: a page opened by address comes from the cache when it is there, else it is
// fetched and, when it is a good page, cached under the address exactly as given
// (error entries and failed answers are shown but not cached, so a later visit
// retries). A completed page load is pushed on the history unless it came from
// previousButton(). Searches (2 characters or more) neither read nor fill the cache
// nor touch the history. Overlapping loads may finish in any order; the last one to
// finish is on display.
class RadioState : public QObject {
    Q_OBJECT
  public:
    explicit RadioState(QObject *parent = nullptr);
    ~RadioState() override;

    // The process-wide state the radio view uses, so navigation outlives the view.
    // First call on the GUI thread.
    static RadioState &sRadioState();

    // The categories; empty until start() has loaded them (or when the root page
    // gave none).
    QList<Radio> radioArrayTableIndex() const { return m_index; }
    // The page on display, as Radio records. Any thread.
    QList<Radio> contentRadio() const;
    QList<RadioHistoryEntry> radioNavigationHistorique() const { return m_history; }
    // Whether a page of that address is cached. Any thread.
    bool isCached(const QString &url) const;
    // True while any load is in progress.
    bool clickLocked() const { return m_loads > 0; }
    // Whether the next page load started will be pushed on the history.
    bool addHistoric() const { return m_addHistoric; }

    // The view was created: load the root page unless it is already kept, announce
    // it with indexChanged, then open its first category (nothing when it is empty).
    void start();
    // A click on the category table; a row outside the categories is ignored.
    void onIndexClick(int row);
    // A folder double-click in the grid; ignored while a load is in progress.
    void onRadioLinkClick(const Radio &radio);
    // The search field's whole text; shorter than 2 characters is ignored. The page
    // is titled "Recherche: " followed by the text.
    void onSearch(const QString &text);
    // Loads and shows the page at url under the title name. Absent values count as "".
    void getURLContent(const QString &url, const QString &name);
    // Back one page: with fewer than 2 history entries nothing happens; otherwise the
    // last entry is dropped and the one before it is shown without being pushed again.
    void previousButton();

  Q_SIGNALS:
    void indexChanged(const QList<kelvane::Radio> &categories);
    void pageLoading(const QString &title);
    void pageShown(const QString &title, const QList<kelvane::DirectoryItem> &entries);
    void clickLockedChanged(bool locked);
    void historyChanged(int size);

  private:
    struct Shared;
    template <class Result, class Work, class Done> void runLoad(Work work, Done done);
    void showList(const QString &title, const QList<Radio> &radios);
    void openFirstCategory();
    void startProgress();
    void stopProgress();

    std::shared_ptr<Shared> m_shared; // cache and page on display, shared with workers
    QList<Radio> m_index;
    bool m_indexKept = false;
    bool m_indexLoading = false;
    QList<RadioHistoryEntry> m_history;
    bool m_addHistoric = true;
    int m_loads = 0;
};

} // namespace kelvane
