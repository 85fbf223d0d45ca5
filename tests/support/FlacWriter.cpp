#include "support/FlacWriter.h"

#include <array>

namespace kelvane::test {

namespace {

constexpr int sampleRate = 44100;
constexpr int channels = 2;
constexpr int blockSize = 4096;

constexpr std::array<quint8, 256> crc8Table = [] {
    std::array<quint8, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint8 crc = quint8(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80) ? quint8((crc << 1) ^ 0x07) : quint8(crc << 1);
        table[i] = crc;
    }
    return table;
}();

constexpr std::array<quint16, 256> crc16Table = [] {
    std::array<quint16, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint16 crc = quint16(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x8005) : quint16(crc << 1);
        table[i] = crc;
    }
    return table;
}();

quint8 crc8(const QByteArray &bytes) {
    quint8 crc = 0;
    for (char c : bytes)
        crc = crc8Table[crc ^ quint8(c)];
    return crc;
}

quint16 crc16(const QByteArray &bytes) {
    quint16 crc = 0;
    for (char c : bytes)
        crc = quint16((crc << 8) ^ crc16Table[(crc >> 8) ^ quint8(c)]);
    return crc;
}

// The frame number in FLAC's extended UTF-8 form (up to 36 bits).
QByteArray utf8Number(quint64 value) {
    QByteArray out;
    if (value < 0x80) {
        out += char(value);
        return out;
    }
    int continuation = 1;
    while (continuation < 6 && value >= (quint64(1) << (6 - continuation + 6 * continuation)))
        ++continuation;
    const quint8 lead = quint8(0xFF << (7 - continuation));
    out += char(lead | quint8(value >> (6 * continuation)));
    for (int i = continuation - 1; i >= 0; --i)
        out += char(0x80 | ((value >> (6 * i)) & 0x3F));
    return out;
}

void appendBigEndian(QByteArray &out, quint64 value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xFF);
}

void appendLittleEndian32(QByteArray &out, quint32 value) {
    for (int i = 0; i < 4; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

QByteArray blockHeader(bool last, int type, qsizetype length) {
    QByteArray header;
    header += char((last ? 0x80 : 0) | type);
    appendBigEndian(header, quint64(length), 3);
    return header;
}

QByteArray frame(quint64 number, int samples, int bits) {
    QByteArray out;
    out += char(0xFF);
    out += char(0xF8); // sync code, fixed block size
    QByteArray sizeTail;
    int sizeCode = 12; // 256 * 2^(12-8) = 4096
    if (samples != blockSize) {
        if (samples <= 256) {
            sizeCode = 6;
            sizeTail += char(samples - 1);
        } else {
            sizeCode = 7;
            appendBigEndian(sizeTail, quint64(samples - 1), 2);
        }
    }
    out += char((sizeCode << 4) | 0x9);                    // 44.1 kHz
    out += char((0x1 << 4) | ((bits == 24 ? 6 : 4) << 1)); // left/right, 16 or 24 bits
    out += utf8Number(number);
    out += sizeTail;
    out += char(crc8(out));
    for (int channel = 0; channel < channels; ++channel) {
        out += char(0x00);                 // CONSTANT subframe, no wasted bits
        out += QByteArray(bits / 8, '\0'); // its value: silence
    }
    const quint16 crc = crc16(out);
    appendBigEndian(out, crc, 2);
    return out;
}

} // namespace

const FlacWriter::Audio &FlacWriter::audio(int seconds, int bits) {
    const qint64 key = qint64(seconds) * 64 + bits;
    if (auto it = m_audio.constFind(key); it != m_audio.cend()) return *it;

    Audio audio;
    const quint64 totalSamples = quint64(qMax(seconds, 0)) * sampleRate;
    qsizetype minFrame = 0, maxFrame = 0;
    quint64 number = 0;
    for (quint64 done = 0; done < totalSamples; done += blockSize, ++number) {
        const QByteArray f =
            frame(number, int(qMin<quint64>(blockSize, totalSamples - done)), bits);
        minFrame = minFrame == 0 ? f.size() : qMin(minFrame, f.size());
        maxFrame = qMax(maxFrame, f.size());
        audio.frames += f;
    }
    QByteArray &info = audio.streamInfo;
    appendBigEndian(info, blockSize, 2);
    appendBigEndian(info, blockSize, 2);
    appendBigEndian(info, quint64(minFrame), 3);
    appendBigEndian(info, quint64(maxFrame), 3);
    appendBigEndian(info,
                    (quint64(sampleRate) << 44) | (quint64(channels - 1) << 41) |
                        (quint64(bits - 1) << 36) | totalSamples,
                    8);
    // An all-zero MD5 means "not computed"; hashing minutes of silence per file would
    // cost more than writing it.
    info += QByteArray(16, '\0');
    return *m_audio.insert(key, audio);
}

QByteArray FlacWriter::vorbisComment(const Tags &tags) {
    QList<QPair<const char *, QString>> fields;
    auto addField = [&fields](const char *name, const QString &value) {
        if (!value.isNull()) fields.append({name, value});
    };
    addField("ARTIST", tags.artist);
    for (const QString &artist : tags.extraArtists)
        addField("ARTIST", artist);
    addField("ALBUMARTIST", tags.albumArtist);
    addField("ALBUM", tags.album);
    addField("TITLE", tags.title);
    addField("TRACKNUMBER", tags.track);
    addField("DISCNUMBER", tags.disc);
    addField("DATE", tags.date);
    addField("GENRE", tags.genre);
    addField("COMPOSER", tags.composer);
    addField("COMMENT", tags.comment);

    const QByteArray vendor = "kelvane test library";
    QByteArray body;
    appendLittleEndian32(body, quint32(vendor.size()));
    body += vendor;
    appendLittleEndian32(body, quint32(fields.size()));
    for (const auto &[name, value] : fields) {
        const QByteArray entry = QByteArray(name) + '=' + value.toUtf8();
        appendLittleEndian32(body, quint32(entry.size()));
        body += entry;
    }
    return body;
}

namespace {
QByteArray pictureBlock(const QByteArray &picture, const QByteArray &mime) {
    QByteArray body;
    appendBigEndian(body, 3, 4); // front cover
    appendBigEndian(body, quint64(mime.size()), 4);
    body += mime;
    appendBigEndian(body, 0, 4); // no description
    for (int i = 0; i < 4; ++i)
        appendBigEndian(body, 0, 4); // width, height, depth, colours: unknown
    appendBigEndian(body, quint64(picture.size()), 4);
    body += picture;
    return body;
}
} // namespace

QByteArray FlacWriter::file(const Tags &tags, int seconds, int bits, int paddingBytes,
                            const QByteArray &picture, const QByteArray &mime) {
    Q_ASSERT(bits == 16 || bits == 24);
    const Audio &a = audio(seconds, bits == 24 ? 24 : 16);
    const QByteArray comment = vorbisComment(tags);
    QByteArray out;
    out.reserve(4 + 4 + a.streamInfo.size() + 4 + comment.size() + 4 + paddingBytes +
                a.frames.size());
    out += "fLaC";
    out += blockHeader(false, 0, a.streamInfo.size());
    out += a.streamInfo;
    if (!picture.isEmpty()) {
        const QByteArray block = pictureBlock(picture, mime);
        out += blockHeader(false, 6, block.size());
        out += block;
    }
    out += blockHeader(paddingBytes <= 0, 4, comment.size());
    out += comment;
    if (paddingBytes > 0) {
        out += blockHeader(true, 1, paddingBytes);
        out += QByteArray(paddingBytes, '\0');
    }
    out += a.frames;
    return out;
}

} // namespace kelvane::test
