#pragma once

// Private to mpdc: the bound every answer is read against.
#include "mpdc/Records.h"

#include <QtGlobal>
#include <atomic>

struct mpd_pair;

namespace kelvane::mpdc {

// Every answer is read against three bounds, so a server that never ends a list (or one
// that means harm) cannot take the process's memory, and each is far above any real
// answer:
// - records kept: 2 million;
// - text read, every line counted whether it is kept or not: 256 MiB. A listing of
//   20,000 songs with all their tags is 4.3 MB, so a million-song library stays under
//   it; mpd itself refuses to send an answer past 8 MiB unless told otherwise.
// - memory the kept records take, as estimated by recordBytes: 512 MiB (a 100,000-song
//   queue takes about 100 MiB).
// A record takes two to eight times its text in memory (Qt's texts are UTF-16, each with
// a header), and the vector that gathers records doubles as it grows: with a bound on
// records alone, 2 million songs with every tag filled peaked at 2 GB and left 1.5 GB
// resident. Now such an answer stops at about 0.5 GB, and the memory goes back.
class ReadBudget {
  public:
    static constexpr qsizetype defaultEntries = 2'000'000;
    static constexpr qsizetype defaultBytes = qsizetype(512) << 20;
    static constexpr qsizetype defaultText = qsizetype(256) << 20;
    static inline std::atomic<qsizetype> maxEntries = defaultEntries;
    static inline std::atomic<qsizetype> maxBytes = defaultBytes;
    static inline std::atomic<qsizetype> maxText = defaultText;

    // One record kept, taking bytes of memory; false once past a bound.
    bool take(qsizetype bytes) {
        ++m_entries;
        m_bytes += bytes;
        return !exceeded();
    }
    // One line of the answer, "name: value\n", kept or not.
    bool read(const mpd_pair &pair);
    bool exceeded() const {
        return m_entries > m_maxEntries || m_bytes > m_maxBytes || m_text > m_maxText;
    }
    // The answer broke the protocol in a way the library does not notice itself (a
    // record that cannot begin, an impossible status): the reading stops, and the
    // connection closes with this message.
    void breakOff(const char *message, ErrorKind kind = ErrorKind::Malformed) {
        m_broken = message;
        m_brokenKind = kind;
    }
    const char *broken() const { return m_broken; }
    ErrorKind brokenKind() const { return m_brokenKind; }
    qsizetype textRead() const { return m_text; }
    qsizetype bytesHeld() const { return m_bytes; }

  private:
    qsizetype m_entries = 0;
    qsizetype m_bytes = 0;
    qsizetype m_text = 0;
    const char *m_broken = nullptr;
    ErrorKind m_brokenKind = ErrorKind::Malformed;
    const qsizetype m_maxEntries = maxEntries.load();
    const qsizetype m_maxBytes = maxBytes.load();
    const qsizetype m_maxText = maxText.load();
};

// The memory a record takes once read: the record itself, and each text's allocation
// (Qt's header, the UTF-16 characters, malloc's rounding).
qsizetype textBytes(const QString &text);
qsizetype recordBytes(const SongInfo &song);
qsizetype recordBytes(const Entity &entity);

// After a read that failed: the records it had gathered are gone, but malloc keeps the
// pages (above all in a worker thread's arena) until the next large read reuses them.
// Handed back to the system when the answer was large enough for it to matter.
void giveBackMemory(const ReadBudget &budget);

} // namespace kelvane::mpdc
