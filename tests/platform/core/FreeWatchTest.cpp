#include "platform/core/FreeWatch.h"

#include <gtest/gtest.h>

#include <memory>

namespace qel {
namespace {

TEST(FreeWatch, TellsOfFreedComponentsOnlyAndOutlivesOrPrecedesThem)
{
    TComponent owner(nullptr);
    auto* kept = new TComponent(&owner);
    auto* moved = new TComponent(&owner);
    auto* freed = new TComponent(&owner);
    TComponent other(nullptr);
    {
        TFreeWatch watch{kept, moved, freed, nullptr};
        owner.RemoveComponent(moved);   // leaves its owner, lives on
        other.InsertComponent(moved);
        delete freed;
        EXPECT_TRUE(watch.Freed(freed));
        EXPECT_FALSE(watch.Freed(kept));
        EXPECT_FALSE(watch.Freed(moved));
        EXPECT_TRUE(watch.AnyFreed());
        TComponent stranger(nullptr);
        EXPECT_FALSE(watch.Freed(&stranger));
    }
    // The watch went first: freeing what it watched reaches nothing freed.
    delete kept;
    delete moved;
    EXPECT_EQ(owner.ComponentCount(), 0);

    // Watching twice links once.
    auto watch = std::make_unique<TFreeWatch>();
    auto* late = new TComponent(nullptr);
    watch->Watch(late);
    watch->Watch(late);
    EXPECT_FALSE(watch->AnyFreed());
    delete late;
    EXPECT_TRUE(watch->Freed(late));
}

} // namespace
} // namespace qel
