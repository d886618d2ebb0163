#include <gtest/gtest.h>
TEST(MainForm, Placeholder) {}
