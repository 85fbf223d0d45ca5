#pragma once

// Private to mpdc: the records of an answer, read line by line against the budget.
#include "mpdc/Handles.h"
#include "mpdc/ReadBudget.h"

namespace kelvane::mpdc {

// Reads records as the library's mpd_recv_song, mpd_recv_entity, mpd_recv_status and
// mpd_recv_output do, with two differences. Every line is counted against the budget
// before the next one is read: the library's readers take as many lines as a server
// sends into one record. And a tag is kept with its first value only (all the system
// reads): the library keeps every value, appending each at the end of a list it walks
// every time, so one song repeating its Artist tag 300,000 times took six minutes to
// read (25 ms now).
// A null result (false for queueChange) ends the list or reports a failure: the
// connection's error, the budget's bound, or the budget's broken().
// Thread: the connection's caller, under its lock.
class RecordReader {
  public:
    RecordReader(mpd_connection *connection, ReadBudget &budget)
        : m_c(connection), m_budget(budget) {}

    SongPtr song();
    EntityPtr entity();
    StatusPtr status();
    OutputPtr output();
    // One entry of "plchangesposid".
    bool queueChange(unsigned &position, unsigned &id);
    // The next line, counted; hand it back with done(). Null at the end of the answer
    // (or of one answer in a command list), on a failure, and past the budget.
    mpd_pair *line();
    void done(mpd_pair *pair) { mpd_return_pair(m_c, pair); }

    // mpd_tag_name_parse, without its walk through every name for each line.
    static mpd_tag_type tagNamed(const char *name);

  private:
    // Counts a line that belongs to the record being read and hands it back; false
    // past the budget.
    bool consume(mpd_pair *pair);
    // Feeds the lines after a record's first one until the next record begins (that
    // line is left for the next read) or the answer ends.
    template <class Feed> bool feedRest(Feed feed);
    // Skips lines up to one named first (the library's mpd_recv_pair_named); null at
    // the end or on a failure.
    mpd_pair *skipTo(const char *first);

    mpd_connection *m_c;
    ReadBudget &m_budget;
};

} // namespace kelvane::mpdc
