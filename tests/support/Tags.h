#pragma once

#include <QString>
#include <QStringList>

namespace kelvane::test {

// Tags of one generated song; a null QString means the tag is absent, an empty one
// is written as an empty value. Designated initialisers must follow this order:
// {.artist = "A", .album = "B", .title = "C", .track = "1"}.
struct Tags {
    QString artist = {}, albumArtist = {}, album = {}, title = {}, track = {}, disc = {}, date = {},
            genre = {}, composer = {}, comment = {};
    QStringList extraArtists = {}; // further Artist values (the tag is multi-valued)
};

} // namespace kelvane::test
