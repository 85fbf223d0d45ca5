#pragma once

#include <QByteArray>

#include "support/Tags.h"

namespace kelvane::test {

// A DSF file (DSD64, stereo) of silence with its tags in an ID3v2.4 block at the
// end, as mpd's dsf decoder reads it. Stands in for the hi-res DSD songs whose
// sample width the client shows differently. About 700 KB per second.
QByteArray dsfFile(const Tags &tags, int seconds);

} // namespace kelvane::test
