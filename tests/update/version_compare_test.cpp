#include "update/version_compare.h"

#include <gtest/gtest.h>

namespace update {
namespace {

TEST(VersionCompareTest, PublishedAgainstRunning) {
    struct Row {
        const char* published;
        const char* running;
        bool newer;
    };
    const Row rows[] = {
        {"2.1", "2.0.1.0", true},
        {"3", "2.0.1.0", true},
        {"2.0", "2.0.1.0", false},
        {"2", "2.0.1.0", false},
        {"2.0", "2.0", false},
        {"2.00", "2.0.1.0", false},
        {"2.01", "2.0.1.0", true}, // fields 2 and 1, as "2.1"
        {"2.10", "2.9", true},
        {"2.9", "2.10", false},
        {"  2.1", "2.0.1.0", true},
        {"+2.1", "2.0.1.0", true},
        {"-3", "2.0.1.0", false},
        {"-0", "", false},
        {"2.5E1", "2.0.1.0", true},   // 25
        {"2.5e-1", "2.0.1.0", false}, // 0.25
        {"1E999999999999", "2.0.1.0", true},
        {"1E-999999999999", "1", false},
        {"99999999999999999999999", "2.0.1.0", true},
        {"0.1", "", true},
        {"0", "", false},
        // Texts IsNumericText refuses are never newer.
        {"", "2.0.1.0", false},
        {" 2.1 ", "2.0.1.0", false},
        {"2.1 ", "2.0.1.0", false},
        {"2.0.2", "2.0.1.0", false},
        {"v3", "2.0.1.0", false},
        {"3,0", "2.0.1.0", false},
        {"\x82\x52", "2.0.1.0", false}, // a full-width 3
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.published) + " vs " + row.running);
        EXPECT_EQ(IsNewerVersion(row.published, row.running), row.newer);
    }
}

} // namespace
} // namespace update
