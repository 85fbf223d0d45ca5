#include "core/mpd/ServerConnections.h"

#include "core/mpd/MPDServerError.h"
#include "mpdc/Connection.h"

namespace kelvane {

ServerConnections &ServerConnections::sServerConnections() {
    static ServerConnections instance;
    return instance;
}

ServerConnections::ServerConnections() {
    m_opener.setMaxThreadCount(1);
    m_opener.setObjectName(QStringLiteral("mpd-open"));
}

ServerConnections::~ServerConnections() {
    m_opener.waitForDone();
}

void ServerConnections::addSessionStep(SessionStep step) {
    std::lock_guard guard(m_mutex);
    m_sessionSteps.push_back(std::move(step));
}

bool ServerConnections::sendPassword(mpdc::Connection &connection, const ServerTarget &target) {
    // A refused password makes the open a failure, rather than a session whose every
    // command is denied; the connection keeps the server's message.
    return !target.password || target.password->isEmpty() || connection.password(*target.password);
}

std::shared_ptr<mpdc::Connection> ServerConnections::open(const ServerTarget &target) const {
    std::shared_ptr<mpdc::Connection> connection =
        mpdc::Connection::open(target.host, target.port, timeoutMs);
    if (connection->hasError()) return connection;
    std::vector<SessionStep> steps;
    {
        std::lock_guard guard(m_mutex);
        steps = m_sessionSteps;
    }
    for (const SessionStep &step : steps)
        if (!step(*connection, target)) break;
    return connection;
}

namespace {
// A command or a read the server refuses is reported once and cleared; the connection
// lives on. The idle connection and the picture readers have no use for the report: a
// refused idle ends the watcher, a refused picture step is off for the session.
void reportRefusals(mpdc::Connection &connection) {
    connection.setRefusalHandler(
        [](const mpdc::Failure &refusal) { MPDServerError::sMPDServerError().report(refusal); });
}
} // namespace

void ServerConnections::start(const ServerTarget &target,
                              std::shared_ptr<mpdc::Connection> command) {
    stop();
    if (command) reportRefusals(*command);
    std::lock_guard guard(m_mutex);
    m_target = target;
    m_command.connection = std::move(command);
}

void ServerConnections::stop() {
    std::vector<std::shared_ptr<mpdc::Connection>> previous;
    {
        std::lock_guard guard(m_mutex);
        ++m_session;
        m_target.reset();
        for (Slot *slot : {&m_command, &m_idle, &m_bulk, &m_side})
            if (slot->connection) previous.push_back(std::move(slot->connection));
        for (Slot &slot : m_pictures)
            previous.push_back(std::move(slot.connection));
        m_pictures.clear();
    }
    m_changed.notify_all();
    // Reads in flight end now; the idle watcher has stopped watching its socket first.
    for (const auto &connection : previous)
        connection->abort();
}

std::optional<ServerTarget> ServerConnections::target() const {
    std::lock_guard guard(m_mutex);
    return m_target;
}

quint64 ServerConnections::session() const {
    std::lock_guard guard(m_mutex);
    return m_session;
}

std::shared_ptr<mpdc::Connection> ServerConnections::commandConnection() const {
    std::lock_guard guard(m_mutex);
    return m_command.connection;
}

bool ServerConnections::holds(const mpdc::Connection &connection) const {
    std::lock_guard guard(m_mutex);
    for (const Slot *slot : {&m_command, &m_idle, &m_bulk, &m_side})
        if (slot->connection.get() == &connection) return true;
    for (const Slot &slot : m_pictures)
        if (slot.connection.get() == &connection) return true;
    return false;
}

int ServerConnections::openCount(ConnectionRole role) const {
    std::lock_guard guard(m_mutex);
    switch (role) {
    case ConnectionRole::Picture:
        return int(m_pictures.size());
    case ConnectionRole::Command:
        return m_command.connection ? 1 : 0;
    case ConnectionRole::Idle:
        return m_idle.connection ? 1 : 0;
    case ConnectionRole::Bulk:
        return m_bulk.connection ? 1 : 0;
    case ConnectionRole::Side:
        return m_side.connection ? 1 : 0;
    }
    return 0;
}

namespace {
bool fresh(const std::shared_ptr<mpdc::Connection> &connection) {
    return connection && !connection->isClosed() &&
           connection->idleFor() < ServerConnections::renewAfter;
}
} // namespace

ServerConnections::Slot *ServerConnections::usable(ConnectionRole role) {
    switch (role) {
    case ConnectionRole::Command:
        return &m_command;
    case ConnectionRole::Idle:
        return &m_idle;
    case ConnectionRole::Bulk:
        return &m_bulk;
    case ConnectionRole::Side:
        return &m_side;
    case ConnectionRole::Picture:
        break;
    }
    for (Slot &slot : m_pictures)
        if (!slot.lent && fresh(slot.connection)) return &slot;
    return nullptr;
}

ServerConnections::Lease ServerConnections::lend(ConnectionRole role) {
    Lease lease;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_target) return lease;
        if (Slot *slot = usable(role)) {
            if (role == ConnectionRole::Picture) {
                slot->lent = true;
                lease.m_owner = this;
            } else if (role == ConnectionRole::Command && slot->connection &&
                       slot->connection->isClosed()) {
                // A closed command connection is a lost link, which MPDSocket handles: it
                // is not quietly replaced here.
                lease.m_failure = slot->connection->failure();
                return lease;
            }
            if (fresh(slot->connection)) {
                lease.m_connection = slot->connection;
                return lease;
            }
            break;
        }
        // Pictures: a closed or stale one makes room; both busy, wait for one.
        std::erase_if(m_pictures, [](const Slot &s) { return !s.lent && !fresh(s.connection); });
        if (int(m_pictures.size()) + m_openingPictures < maxPictureConnections) break;
        m_changed.wait(lock);
    }
    const ServerTarget target = *m_target;
    const quint64 session = m_session;
    if (role == ConnectionRole::Picture) ++m_openingPictures;
    lock.unlock();
    // Opened outside the lock: a stop on the GUI thread must not wait for it.
    std::shared_ptr<mpdc::Connection> opened = open(target);
    if (role == ConnectionRole::Bulk || role == ConnectionRole::Side ||
        role == ConnectionRole::Command)
        reportRefusals(*opened);
    if (role == ConnectionRole::Picture && !opened->hasError()) {
        // mpd reads the song's tags again for every chunk: with its default 8 KiB chunks
        // a 200 KiB embedded picture cost 52 ms, with 1 MiB chunks 2 ms (bench_mpdcovers).
        // A server too old for the command refuses it and keeps its default.
        mpdc::Connection::QuietRefusals quiet(*opened);
        opened->setBinaryLimit(pictureChunkBytes);
    }
    lock.lock();
    if (role == ConnectionRole::Picture) {
        --m_openingPictures;
        m_changed.notify_all();
    }
    if (opened->hasError()) {
        lease.m_failure = opened->failure();
        lease.m_owner = nullptr;
        return lease;
    }
    if (session != m_session) return Lease(); // stopped (or another server) meanwhile
    if (role == ConnectionRole::Picture) {
        m_pictures.push_back({opened, true});
        lease.m_owner = this;
    } else {
        usable(role)->connection = opened;
    }
    lease.m_connection = std::move(opened);
    return lease;
}

void ServerConnections::renew(ConnectionRole role) {
    std::lock_guard guard(m_mutex);
    if (role == ConnectionRole::Picture) {
        // The lent ones go back to nobody: their readers free them when done.
        m_pictures.clear();
    } else if (Slot *slot = usable(role)) {
        slot->connection.reset();
    }
    m_changed.notify_all();
}

void ServerConnections::openLater(const ServerTarget &target, Opened done) {
    m_opener.start([this, target, done = std::move(done)] { done(open(target)); });
}

void ServerConnections::openIdleLater(Opened done) {
    std::optional<ServerTarget> target;
    quint64 session;
    {
        std::lock_guard guard(m_mutex);
        target = m_target;
        session = m_session;
    }
    if (!target) {
        done(nullptr);
        return;
    }
    openLater(*target,
              [this, session, done = std::move(done)](std::shared_ptr<mpdc::Connection> opened) {
                  {
                      std::lock_guard guard(m_mutex);
                      if (opened->hasError() || session != m_session)
                          opened.reset();
                      else
                          m_idle.connection = opened;
                  }
                  done(std::move(opened));
              });
}

void ServerConnections::giveBack(const std::shared_ptr<mpdc::Connection> &connection) {
    {
        std::lock_guard guard(m_mutex);
        for (Slot &slot : m_pictures)
            if (slot.connection == connection) slot.lent = false;
    }
    m_changed.notify_all();
}

ServerConnections::Lease::Lease(Lease &&other) noexcept
    : m_connection(std::move(other.m_connection)), m_failure(std::move(other.m_failure)),
      m_owner(std::exchange(other.m_owner, nullptr)) {}

ServerConnections::Lease &ServerConnections::Lease::operator=(Lease &&other) noexcept {
    if (this != &other) {
        if (m_owner) m_owner->giveBack(m_connection);
        m_connection = std::move(other.m_connection);
        m_failure = std::move(other.m_failure);
        m_owner = std::exchange(other.m_owner, nullptr);
    }
    return *this;
}

ServerConnections::Lease::~Lease() {
    if (m_owner) m_owner->giveBack(m_connection);
}

} // namespace kelvane
