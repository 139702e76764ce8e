#pragma once

#include "tests/support/Printers.h"

#include <gtest/gtest.h>

namespace tessel::test {

// Checks that f throws platform::Error with this number and exactly this description.
template <typename F> void expectError(F &&f, int number, const QString &description)
{
    EXPECT_EQ(tabulon::test::errorOf(f),
              (QString::number(number) + QStringLiteral(": ") + description).toStdString());
}

} // namespace tessel::test
