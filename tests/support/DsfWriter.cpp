#include "support/DsfWriter.h"

namespace kelvane::test {

namespace {

constexpr quint32 dsdRate = 2822400; // DSD64
constexpr quint32 channels = 2;
constexpr quint32 blockBytes = 4096; // per channel, as every DSF writer uses

void appendLittle(QByteArray &out, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

void appendSyncSafe(QByteArray &out, quint32 value) {
    for (int shift = 21; shift >= 0; shift -= 7)
        out += char((value >> shift) & 0x7F);
}

QByteArray id3Tag(const Tags &tags) {
    QByteArray frames;
    auto text = [&frames](const char *id, const QString &value) {
        if (value.isNull()) return;
        const QByteArray body = '\x03' + value.toUtf8(); // encoding 3: UTF-8
        frames += id;
        appendSyncSafe(frames, quint32(body.size()));
        frames += QByteArray(2, '\0'); // frame flags
        frames += body;
    };
    QString artist = tags.artist;
    for (const QString &extra : tags.extraArtists)
        artist =
            artist.isNull() ? extra : artist + QChar(0) + extra; // ID3v2.4 multi-value separator
    text("TPE1", artist);
    text("TPE2", tags.albumArtist);
    text("TALB", tags.album);
    text("TIT2", tags.title);
    text("TRCK", tags.track);
    text("TPOS", tags.disc);
    text("TDRC", tags.date);
    text("TCON", tags.genre);
    text("TCOM", tags.composer);
    QByteArray tag = "ID3";
    tag += '\x04';
    tag += '\x00';
    tag += '\x00'; // version 2.4.0, no flags
    appendSyncSafe(tag, quint32(frames.size()));
    return tag + frames;
}

} // namespace

QByteArray dsfFile(const Tags &tags, int seconds) {
    const quint64 samplesPerChannel = quint64(qMax(seconds, 0)) * dsdRate;
    const quint64 blocks = (samplesPerChannel / 8 + blockBytes - 1) / blockBytes;
    const quint64 dataBytes = blocks * blockBytes * channels;
    const QByteArray metadata = id3Tag(tags);
    const quint64 dataChunk = 12 + dataBytes;
    const quint64 metadataOffset = 28 + 52 + dataChunk;

    QByteArray out;
    out.reserve(qsizetype(metadataOffset) + metadata.size());
    out += "DSD ";
    appendLittle(out, 28, 8);
    appendLittle(out, metadataOffset + quint64(metadata.size()), 8);
    appendLittle(out, metadataOffset, 8);
    out += "fmt ";
    appendLittle(out, 52, 8);
    appendLittle(out, 1, 4); // format version
    appendLittle(out, 0, 4); // DSD raw
    appendLittle(out, 2, 4); // channel type: stereo
    appendLittle(out, channels, 4);
    appendLittle(out, dsdRate, 4);
    appendLittle(out, 1, 4); // bits per sample, LSB first
    appendLittle(out, samplesPerChannel, 8);
    appendLittle(out, blockBytes, 4);
    appendLittle(out, 0, 4);
    out += "data";
    appendLittle(out, dataChunk, 8);
    // 0x69 is the DSD idle pattern: silence rather than a full-scale DC offset.
    out += QByteArray(qsizetype(dataBytes), '\x69');
    out += metadata;
    return out;
}

} // namespace kelvane::test
