#include "platform/keyboard_type.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyboardType, FirstConfiguredLayoutDecides) {
    struct Row {
        const char* config;
        int code;
    };
    const Row rows[] = {
        {"XKBMODEL=\"jp106\"\nXKBLAYOUT=\"jp\"\nXKBVARIANT=\"\"\n", 7},
        {"XKBLAYOUT=jp\n", 7},
        {"export XKBLAYOUT='jp'\r\n", 7},
        {"XKBLAYOUT=\"jp,us\"\n", 7},
        {"XKBLAYOUT=\"us,jp\"\n", 4},
        {"XKBMODEL=\"pc105\"\nXKBLAYOUT=\"de\"\n", 4},
        {"XKBLAYOUT=\"jp\"\nXKBLAYOUT=\"fr\"\n", 4}, // the last assignment holds
        {"# XKBLAYOUT=\"jp\"\nXKBMODEL=\"jp106\"\n", 0},
        {"XKBLAYOUT=\"\"\n", 0},
        {"", 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(platform::KeyboardTypeFromXkbConfig(row.config), row.code) << row.config;
    }
}

} // namespace
