#pragma once

namespace kelvane::heaptrim {

// Covers are decoded in bursts (a screenful, a fling, a cold grid) on several threads,
// each with its own malloc arena; the encoded bytes and the decoder's work buffers freed
// afterwards leave free pages inside those arenas, which glibc gives back to the system
// only from the top of a heap. Once image work has been quiet for a while, the free
// pages of every arena are handed back (malloc_trim) on a thread of its own, never the
// GUI thread's.
//
// Any thread: a decode (or any piece of image work) that ends says so.
void workEnded();

// How long image work must be quiet before the heap is trimmed.
constexpr int quietMs = 1000;

// Trims done so far (for tests).
int trimCount();

} // namespace kelvane::heaptrim
