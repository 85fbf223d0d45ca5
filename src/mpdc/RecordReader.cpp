#include "mpdc/RecordReader.h"

#include "mpdc/Arguments.h"

#include <array>
#include <cstring>
#include <vector>

namespace kelvane::mpdc {

namespace {
bool isSuccess(mpd_connection *c) {
    return mpd_connection_get_error(c) == MPD_ERROR_SUCCESS;
}

// The tag names by first letter, each with its length: a line's name is compared with
// the few that share its first letter.
struct TagNames {
    struct Name {
        const char *text;
        size_t length;
        mpd_tag_type type;
    };
    std::array<std::vector<Name>, 256> byFirst;
    TagNames() {
        for (int i = 0; i < int(MPD_TAG_COUNT); ++i) {
            const auto type = mpd_tag_type(i);
            if (const char *name = mpd_tag_name(type); name && *name)
                byFirst[static_cast<unsigned char>(name[0])].push_back(
                    {name, std::strlen(name), type});
        }
    }
};
} // namespace

mpd_tag_type RecordReader::tagNamed(const char *name) {
    static const TagNames names;
    const size_t length = std::strlen(name);
    for (const TagNames::Name &candidate : names.byFirst[static_cast<unsigned char>(name[0])])
        if (candidate.length == length && std::memcmp(candidate.text, name, length) == 0)
            return candidate.type;
    return MPD_TAG_UNKNOWN;
}

bool RecordReader::consume(mpd_pair *pair) {
    const bool within = m_budget.read(*pair);
    mpd_return_pair(m_c, pair);
    return within;
}

mpd_pair *RecordReader::line() {
    mpd_pair *pair = mpd_recv_pair(m_c);
    if (pair && !m_budget.read(*pair)) {
        mpd_return_pair(m_c, pair);
        return nullptr;
    }
    return pair;
}

mpd_pair *RecordReader::skipTo(const char *first) {
    while (mpd_pair *pair = mpd_recv_pair(m_c)) {
        if (std::strcmp(pair->name, first) == 0) return pair;
        if (!consume(pair)) return nullptr;
    }
    return nullptr;
}

template <class Feed> bool RecordReader::feedRest(Feed feed) {
    while (mpd_pair *pair = mpd_recv_pair(m_c)) {
        if (!feed(*pair)) {
            mpd_enqueue_pair(m_c, pair); // the next record's first line
            return true;
        }
        if (!consume(pair)) return false;
    }
    if (!isSuccess(m_c)) return false;
    mpd_enqueue_pair(m_c, nullptr); // the end, for the next read to find
    return true;
}

namespace {
// Further values of a tag the song already has are read and dropped.
bool repeatsTag(const mpd_song *song, const mpd_pair &pair) {
    const mpd_tag_type tag = RecordReader::tagNamed(pair.name);
    return tag != MPD_TAG_UNKNOWN && mpd_song_get_tag(song, tag, 0) != nullptr;
}
} // namespace

SongPtr RecordReader::song() {
    mpd_pair *first = skipTo("file");
    if (!first) return nullptr;
    SongPtr song{mpd_song_begin(first)};
    if (!consume(first)) return nullptr;
    if (!song) {
        m_budget.breakOff(malformedRecordMessage); // a "file" line without a uri
        return nullptr;
    }
    const bool whole = feedRest([&](const mpd_pair &pair) {
        return repeatsTag(song.get(), pair) || mpd_song_feed(song.get(), &pair);
    });
    return whole ? std::move(song) : nullptr;
}

EntityPtr RecordReader::entity() {
    mpd_pair *first = mpd_recv_pair(m_c);
    if (!first) return nullptr;
    EntityPtr entity{mpd_entity_begin(first)};
    if (!consume(first)) return nullptr;
    if (!entity) {
        m_budget.breakOff(malformedRecordMessage);
        return nullptr;
    }
    const mpd_song *song = mpd_entity_get_type(entity.get()) == MPD_ENTITY_TYPE_SONG
                               ? mpd_entity_get_song(entity.get())
                               : nullptr;
    // A tag's name is never one that begins a record, so a repeated one is dropped
    // without looking further.
    const bool whole = feedRest([&](const mpd_pair &pair) {
        return (song && repeatsTag(song, pair)) || mpd_entity_feed(entity.get(), &pair);
    });
    return whole ? std::move(entity) : nullptr;
}

StatusPtr RecordReader::status() {
    if (!isSuccess(m_c)) return nullptr;
    StatusPtr status{mpd_status_begin()};
    if (!status) return nullptr;
    while (mpd_pair *pair = mpd_recv_pair(m_c)) {
        mpd_status_feed(status.get(), pair);
        if (!consume(pair)) return nullptr;
    }
    return isSuccess(m_c) ? std::move(status) : nullptr;
}

OutputPtr RecordReader::output() {
    mpd_pair *first = skipTo("outputid");
    if (!first) return nullptr;
    OutputPtr output{mpd_output_begin(first)};
    if (!consume(first)) return nullptr;
    if (!output) {
        m_budget.breakOff(malformedRecordMessage);
        return nullptr;
    }
    // Its attributes are not read, and the library would keep every one a server sends.
    const bool whole = feedRest([&](const mpd_pair &pair) {
        return std::strcmp(pair.name, "attribute") == 0 || mpd_output_feed(output.get(), &pair);
    });
    return whole ? std::move(output) : nullptr;
}

bool RecordReader::queueChange(unsigned &position, unsigned &id) {
    mpd_pair *cpos = skipTo("cpos");
    if (!cpos) return false;
    position = unsigned(std::strtoul(cpos->value, nullptr, 10));
    if (!consume(cpos)) return false;
    mpd_pair *idLine = skipTo("Id");
    if (!idLine) {
        if (isSuccess(m_c)) m_budget.breakOff(malformedRecordMessage); // a position without id
        return false;
    }
    id = unsigned(std::strtoul(idLine->value, nullptr, 10));
    return consume(idLine);
}

} // namespace kelvane::mpdc
