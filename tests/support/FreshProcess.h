// For what a program keeps once per run (a value read at first use, a library loaded for good, a
// log opened by the first message): the statements run in a fresh run of this test program, made
// for this case alone, so that they see the process as a program's start does, however many cases
// ran before them in this process. Their failures are reported as the fresh run's.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#define RUN_IN_FRESH_PROCESS(...)                                                                            \
    do {                                                                                                    \
        GTEST_FLAG_SET(death_test_style, "threadsafe");                                                     \
        EXPECT_EXIT(                                                                                        \
            {                                                                                               \
                __VA_ARGS__;                                                                                \
                std::_Exit(::testing::Test::HasFailure() ? 1 : 0);                                          \
            },                                                                                              \
            ::testing::ExitedWithCode(0), "");                                                              \
    } while (false)
