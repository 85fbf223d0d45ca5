#include "core/radio/RadioState.h"

#include "core/radio/RadioLoader.h"

#include <QFutureWatcher>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace kelvane {

// Written by workers and read on the GUI thread: one lock for both. Workers hold a
// reference, so a state destroyed during a load leaves them nothing dangling.
struct RadioState::Shared {
    mutable QMutex mutex;
    QHash<QString, QList<Radio>> cache;
    QList<Radio> content;
};

namespace {
QString orEmpty(const QString &text) {
    return text.isNull() ? QStringLiteral("") : text;
}
} // namespace

RadioState::RadioState(QObject *parent) : QObject(parent), m_shared(std::make_shared<Shared>()) {
    qRegisterMetaType<kelvane::Radio>();
}

RadioState::~RadioState() = default;

RadioState &RadioState::sRadioState() {
    // Never destroyed, like the other services: the view is rebuilt, the state stays.
    static RadioState *state = new RadioState;
    return *state;
}

QList<Radio> RadioState::contentRadio() const {
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->content;
}

bool RadioState::isCached(const QString &url) const {
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->cache.contains(url);
}

// Runs work on the shared pool and done on this object's thread with its result.
// The watcher is a child: destroying the state drops the display step.
template <class Result, class Work, class Done> void RadioState::runLoad(Work work, Done done) {
    auto *watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcher<Result>::finished, this, [watcher, done = std::move(done)] {
        const Result result = watcher->result();
        watcher->deleteLater();
        done(result);
    });
    watcher->setFuture(QtConcurrent::run(QThreadPool::globalInstance(), std::move(work)));
}

void RadioState::start() {
    startProgress();
    if (m_indexKept) {
        Q_EMIT indexChanged(m_index);
        openFirstCategory();
        stopProgress();
        return;
    }
    if (m_indexLoading) {
        // The load under way opens the first category when it ends.
        stopProgress();
        return;
    }
    m_indexLoading = true;
    const QString base = RadioLoader::defaultBase();
    runLoad<RadioPage>([base] { return RadioLoader::sRadioLoader().loadIndex(base); },
                       [this](const RadioPage &page) {
                           m_indexLoading = false;
                           m_index = page.radios;
                           // A failed root page is shown but fetched again next time.
                           m_indexKept = page.complete;
                           Q_EMIT indexChanged(m_index);
                           openFirstCategory();
                           stopProgress();
                       });
}

void RadioState::openFirstCategory() {
    if (m_index.isEmpty()) return;
    getURLContent(m_index.first().radioUrl(), m_index.first().radioName());
}

void RadioState::onIndexClick(int row) {
    if (row < 0 || row >= m_index.size()) return;
    getURLContent(m_index[row].radioUrl(), m_index[row].radioName());
}

void RadioState::onRadioLinkClick(const Radio &radio) {
    if (clickLocked()) return;
    getURLContent(radio.radioUrl(), radio.radioName());
}

void RadioState::onSearch(const QString &text) {
    if (text.size() < 2) return;
    startProgress();
    const QString title = QStringLiteral("Recherche: ") + text;
    Q_EMIT pageLoading(title);
    const QString base = RadioLoader::defaultBase();
    runLoad<QList<Radio>>([base, text] { return RadioLoader::sRadioLoader().search(text, base); },
                          [this, title](const QList<Radio> &radios) {
                              showList(title, radios);
                              stopProgress();
                          });
}

void RadioState::getURLContent(const QString &url, const QString &name) {
    const QString address = orEmpty(url);
    const QString title = orEmpty(name);
    startProgress();
    Q_EMIT pageLoading(title);
    // Taken now rather than when the load ends, so an overlapping load cannot use up
    // the "do not push" of a previous step.
    const bool push = m_addHistoric;
    m_addHistoric = true;
    runLoad<QList<Radio>>(
        [shared = m_shared, address] {
            {
                QMutexLocker lock(&shared->mutex);
                const auto cached = shared->cache.constFind(address);
                if (cached != shared->cache.constEnd()) return *cached;
            }
            const RadioPage page = RadioLoader::sRadioLoader().loadPage(address);
            if (page.complete) {
                QMutexLocker lock(&shared->mutex);
                shared->cache.insert(address, page.radios);
            }
            return page.radios;
        },
        [this, address, title, push](const QList<Radio> &radios) {
            showList(title, radios);
            if (push) {
                m_history.append({address, title});
                Q_EMIT historyChanged(int(m_history.size()));
            }
            stopProgress();
        });
}

void RadioState::previousButton() {
    const qsizetype n = m_history.size();
    if (n <= 1) return;
    const RadioHistoryEntry back = m_history[n - 2];
    m_history.removeLast();
    Q_EMIT historyChanged(int(m_history.size()));
    m_addHistoric = false;
    getURLContent(back.url, back.name);
}

void RadioState::showList(const QString &title, const QList<Radio> &radios) {
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->content = radios;
    }
    Q_EMIT pageShown(title, directoryItems(radios));
}

void RadioState::startProgress() {
    if (m_loads++ == 0) Q_EMIT clickLockedChanged(true);
}

void RadioState::stopProgress() {
    if (--m_loads == 0) Q_EMIT clickLockedChanged(false);
}

} // namespace kelvane
