#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include "support/Tags.h"

namespace kelvane::test {

// Builds FLAC files of digital silence, 44.1 kHz stereo, without any encoder: every
// frame holds 4096 samples in CONSTANT subframes, so a file costs ~15 bytes per 0.1 s
// and decoders (mpd, flac -t) accept it as a real stream. Not thread-safe: it caches
// the audio part per length and sample width, which is what makes bulk libraries fast.
class FlacWriter {
  public:
    // picture: an embedded front cover (a PICTURE block of that MIME type) when not empty.
    QByteArray file(const Tags &tags, int seconds, int bits, int paddingBytes = 64,
                    const QByteArray &picture = {}, const QByteArray &mime = "image/jpeg");

    static QByteArray vorbisComment(const Tags &tags);

  private:
    struct Audio {
        QByteArray streamInfo; // the 34-byte STREAMINFO body
        QByteArray frames;
    };
    const Audio &audio(int seconds, int bits);

    QHash<qint64, Audio> m_audio;
};

} // namespace kelvane::test
