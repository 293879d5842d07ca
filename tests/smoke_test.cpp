#include <gtest/gtest.h>

#include "app/ORXBootApp.h"

TEST(FormatErrorText, ZeroAndUnknownCodes) {
    EXPECT_EQ(FormatErrorText(0), "No Error Code");
    EXPECT_EQ(FormatErrorText(1234567), "Error Code: (1234567)");
}
