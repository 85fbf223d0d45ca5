#pragma once

#include "support/MpdServer.h"

#include <gtest/gtest.h>

namespace kelvane::test {

// One real mpd with the standard tagged library for a whole test suite: starting one
// (generating the library, the first database update) costs far more than a test, so
// the suite's tests share it and each puts the server in the state it needs. gtest runs
// suites one after another, so the one pointer serves every suite built on this.
class ServerSuite : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { server = startStandardServer().release(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    static inline MpdServer *server = nullptr;
};

} // namespace kelvane::test
