#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>

namespace kelvane::fuzz {

void fail(const char *what) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

} // namespace kelvane::fuzz
