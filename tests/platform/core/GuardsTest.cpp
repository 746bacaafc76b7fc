#include "platform/core/Guards.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace qel {
namespace {

struct Bracketed {
    int depth = 0;
    int ends = 0;
    bool throwOnEnd = false;
    void BeginUpdate() { ++depth; }
    void EndUpdate()
    {
        --depth;
        ++ends;
        if (throwOnEnd)
            throw std::runtime_error("end failed");
    }
};

TEST(CoreGuards, RestoreAndCloseBracketsWhenAnExceptionLeavesTheScope)
{
    bool loading = false;
    Bracketed target;
    int ran = 0;
    EXPECT_THROW(
        {
            TValueRestorer keep(loading, true);
            TUpdateScope scope(target);
            Finally done([&] { ++ran; });
            EXPECT_TRUE(loading);
            EXPECT_EQ(target.depth, 1);
            throw std::runtime_error("midway");
        },
        std::runtime_error);
    EXPECT_FALSE(loading);
    EXPECT_EQ(target.depth, 0);
    EXPECT_EQ(ran, 1);
}

TEST(CoreGuards, ASecondFailureWhileUnwindingNeverHidesTheFirst)
{
    Bracketed target;
    target.throwOnEnd = true;
    EXPECT_EQ(test::MessageOf<std::runtime_error>([&] {
        TUpdateScope scope(target);
        Finally also([] { throw std::logic_error("cleanup failed"); });
        throw std::runtime_error("first");
    }),
              "first");
    EXPECT_EQ(target.ends, 1);
    // Without an exception in flight the cleanup's own failure is reported.
    EXPECT_THROW({ TUpdateScope scope(target); }, std::runtime_error);
    int ran = 0;
    {
        Finally undo([&] { ++ran; });
        undo.Dismiss();
    }
    EXPECT_EQ(ran, 0);
}

}  // namespace
}  // namespace qel
