#pragma once

#include <QtGlobal>

namespace kelvane {

enum class DiskExpireType : int { ByAccessDate = 0, ByModificationDate = 1 };

// Bits of ImageCacheConfig::diskCacheWritingOptions.
enum DiskWritingOption : unsigned {
    // Write to a temporary file and rename it, so a crash never leaves half a file.
    DiskWriteAtomic = 1,
};

// Settings of one image cache; plain values, copied in and out under the cache's lock.
struct ImageCacheConfig {
    // Force-decode images read from disk before use.
    bool shouldDecompressImages = true;
    // Stores and disk hits also go into the memory level.
    bool shouldCacheImagesInMemory = true;
    // Kept for completeness: there is no weak map, nothing reads it.
    bool shouldUseWeakMemoryCache = true;
    // Data-reading option bits; no reading option has an effect here.
    unsigned diskCacheReadingOptions = 0;
    unsigned diskCacheWritingOptions = DiskWriteAtomic;
    // Age limit used by pruning, in seconds (7 days).
    qint64 maxCacheAge = 60 * 60 * 24 * 7;
    // Size limit used by pruning, in bytes; 0 means none.
    quint64 maxCacheSize = 0;
    DiskExpireType diskCacheExpireType = DiskExpireType::ByModificationDate;
};

} // namespace kelvane
