#include "platform/core/Split.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

TEST(CoreSplit, EveryPieceIsKeptSoCallersDecideAboutEmptyOnes)
{
    EXPECT_EQ(SplitString("A;;B;", ';'), (std::vector<std::string>{"A", "", "B", ""}));
    EXPECT_EQ(SplitString("", ';'), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitString("a<>b<>", "<>"), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(SplitString("whole", ""), (std::vector<std::string>{"whole"}));
}

} // namespace
} // namespace qel
