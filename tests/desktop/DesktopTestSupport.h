#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "platform/virtualsession/VirtualSession.h"

// Starts a private session into `name`; the test is skipped only when a program the
// session needs is not installed, and fails when one is installed but does not work.
#define PLOVIK_START_SESSION_OR_SKIP(name, options)        \
    std::optional<::plovik::VirtualSession> name;          \
    try {                                                  \
        name.emplace(options);                             \
    } catch (const ::plovik::VirtualSessionError& error) { \
        if (error.toolMissing()) {                         \
            GTEST_SKIP() << error.what();                  \
        }                                                  \
        FAIL() << error.what();                            \
    }
