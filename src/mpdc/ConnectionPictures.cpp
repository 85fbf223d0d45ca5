// Pictures the server hands out itself: a cover file beside the song ("albumart") or the
// picture embedded in its tags ("readpicture"), read in chunks.
#include "mpdc/ConnectionImpl.h"

namespace kelvane::mpdc {

bool Connection::setBinaryLimit(quint32 bytes) {
    auto guard = lock();
    mpd_connection *c = handle();
    return c && ok(mpd_run_binarylimit(c, bytes));
}

PictureResult Connection::picture(PictureKind kind, const QString &uri, qsizetype maxBytes) {
    auto guard = lock();
    PictureResult result;
    mpd_connection *c = handle();
    if (!c || !acceptable({uri})) {
        result.outcome = c ? PictureResult::Refused : PictureResult::Broken;
        return result;
    }
    const QByteArray path = utf8(uri);
    qsizetype total = -1;
    for (;;) {
        const unsigned offset = unsigned(result.bytes.size());
        const bool sent = kind == PictureKind::CoverFile
                              ? mpd_send_albumart(c, path.constData(), offset)
                              : mpd_send_readpicture(c, path.constData(), offset);
        if (!sent) {
            afterFailure();
            result.outcome = PictureResult::Broken;
            return result;
        }
        quickAck(d->fd);
        // "size" (the whole picture), maybe "type", then "binary" (this chunk's length)
        // and the chunk; no pair at all when the song has no picture.
        qsizetype chunk = -1;
        ReadBudget budget;
        RecordReader reader(c, budget);
        while (mpd_pair *pair = reader.line()) {
            const bool isBinary = std::strcmp(pair->name, "binary") == 0;
            if (std::strcmp(pair->name, "size") == 0)
                total = QByteArray(pair->value).toLongLong();
            else if (isBinary)
                chunk = QByteArray(pair->value).toLongLong();
            reader.done(pair);
            if (isBinary) break;
        }
        if (budget.exceeded()) { // lines without end before the chunk
            abandon(budget);
            result.outcome = PictureResult::Broken;
            result.bytes.clear();
            return result;
        }
        if (mpd_connection_get_error(c) != MPD_ERROR_SUCCESS) {
            // "No such file" is an answer (no picture); an unknown command or a missing
            // permission means the server does not offer it.
            const bool server = mpd_connection_get_error(c) == MPD_ERROR_SERVER;
            const bool missing =
                server && mpd_connection_get_server_error(c) == MPD_SERVER_ERROR_NO_EXIST;
            afterFailure();
            result.outcome = !handle() ? PictureResult::Broken
                             : missing ? PictureResult::None
                                       : PictureResult::Refused;
            return result;
        }
        if (chunk < 0) {
            // No picture: the answer ended without one.
            if (!ok(mpd_response_finish(c))) {
                result.outcome = PictureResult::Broken;
                return result;
            }
            result.outcome = PictureResult::None;
            result.bytes.clear();
            return result;
        }
        // What the server announces is checked before anything is read: a size past
        // the cap, or a chunk that does not fit in it, ends the connection.
        if (total < 0 || total > maxBytes || chunk > total - offset ||
            (chunk == 0 && qsizetype(offset) < total)) {
            close(Failure::local(QString::fromLatin1(answerTooLargeMessage)));
            result.outcome = PictureResult::TooLarge;
            result.bytes.clear();
            return result;
        }
        result.bytes.resize(offset + chunk);
        if ((chunk > 0 && !mpd_recv_binary(c, result.bytes.data() + offset, size_t(chunk))) ||
            !mpd_response_finish(c)) {
            afterFailure();
            result.outcome = PictureResult::Broken;
            result.bytes.clear();
            return result;
        }
        if (result.bytes.size() >= total) {
            result.outcome = PictureResult::Found;
            return result;
        }
    }
}

} // namespace kelvane::mpdc
