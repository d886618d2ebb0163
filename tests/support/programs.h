#pragma once
// The programs that the end-to-end tests start: the built quorvex-cli and quorvex-demo-game, or,
// when $QUORVEX_TEST_WINDOWS_BUILD names the Windows build, its scripts that run its .exe files
// through Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace quorvex::test {

std::string cliProgram();
std::string demoProgram();
bool testsWindowsBuild();

// A path as the tested program prints it. Where the program joined a name to a folder it was
// given: with Windows' separator on the Windows build. Where it made a path absolute: on the
// Windows build as Wine shows this system's files (drive Z:, backslashes).
std::string joinedAsPrinted(const std::filesystem::path& folder, const std::string& name);
std::string absoluteAsPrinted(const std::filesystem::path& path);

} // namespace quorvex::test

// Skips a test of what the Windows build does not have (zip archives and sound files) or does
// otherwise (settings in the registry, no desktop file classes of Linux).
#define QUORVEX_SKIP_ON_WINDOWS_BUILD(why)                                                        \
    if (::quorvex::test::testsWindowsBuild())                                                      \
    GTEST_SKIP() << "not in the Windows build: " << why
