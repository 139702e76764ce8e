#pragma once

#include "tests/support/Printers.h"

#include <gtest/gtest.h>

namespace tessel::test {

// Checks that f throws platform::Error with this number and exactly this description.
template <typename F> void expectError(F &&f, int number, const QString &description)
{
    try {
        f();
        ADD_FAILURE() << "no error; expected " << description.toStdString();
    } catch (const tabulon::platform::Error &e) {
        EXPECT_EQ(e.number(), number) << e.description().toStdString();
        EXPECT_EQ(e.description(), description);
    }
}

} // namespace tessel::test
