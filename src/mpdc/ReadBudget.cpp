#include "mpdc/ReadBudget.h"

#include <cstring>
#include <malloc.h>
#include <mpd/pair.h>

namespace kelvane::mpdc {

bool ReadBudget::read(const mpd_pair &pair) {
    // "name: value\n"
    m_text += qsizetype(std::strlen(pair.name) + std::strlen(pair.value)) + 3;
    return !exceeded();
}

qsizetype textBytes(const QString &text) {
    if (text.isNull()) return 0;
    // Qt's 16-byte header, the characters and their terminator, malloc's own 8 bytes,
    // in malloc's 16-byte steps.
    return (16 + 2 * (text.size() + 1) + 8 + 15) & ~qsizetype(15);
}

qsizetype recordBytes(const SongInfo &song) {
    qsizetype size = qsizetype(sizeof(SongInfo)) + textBytes(song.uri);
    for (const QString *tag :
         {&song.artist, &song.album, &song.albumArtist, &song.title, &song.track, &song.genre,
          &song.date, &song.composer, &song.comment, &song.disc})
        size += textBytes(*tag);
    return size;
}

qsizetype recordBytes(const Entity &entity) {
    // A song's path is its uri, shared.
    const qsizetype path = entity.type == Entity::Type::Song ? 0 : textBytes(entity.path);
    return qsizetype(sizeof(Entity) - sizeof(SongInfo)) + recordBytes(entity.song) + path;
}

void giveBackMemory(const ReadBudget &budget) {
    // Below a few MiB malloc's own trimming is enough, and a trim walks every arena.
    constexpr qsizetype worthIt = qsizetype(4) << 20;
    if (budget.textRead() >= worthIt || budget.bytesHeld() >= worthIt) malloc_trim(0);
}

} // namespace kelvane::mpdc
