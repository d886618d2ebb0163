// Built into every test binary: the binary sees the test environment that tests/CMakeLists.txt
// sets, so its settings, data folder and log are its own and never the caller's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

TEST(TestEnvironment, EveryVariableReachesTheTest)
{
    std::istringstream all(QUORVEX_TEST_ENV);
    int seen = 0;
    for (std::string assignment; std::getline(all, assignment, '|'); ++seen) {
        const auto equals = assignment.find('=');
        ASSERT_NE(equals, std::string::npos) << assignment;
        const auto name = assignment.substr(0, equals);
        const char* value = std::getenv(name.c_str());
        EXPECT_EQ(value ? std::string(value) : "(not set)", assignment.substr(equals + 1)) << name;
    }
    EXPECT_GE(seen, 4);
}
