#pragma once

#include <memory>

namespace kelvane {

// The deleter of a unique_ptr that owns a C library's handle: the library's own free
// function, so each handle is released once, by its owner, whatever path leaves the
// scope. For libmpdclient's handles and libcurl's alike.
template <auto Free> struct CFree {
    template <class T> void operator()(T *p) const noexcept { Free(p); }
};

} // namespace kelvane
