#include "gameexe/errors.h"
#include "gameexe/game_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace quorvex;

TEST(GameFile, PlaceholderBuilds)
{
    test::ScratchFolder scratch;
    EXPECT_THROW(GameFile(scratch / "missing"), FileError);
}
