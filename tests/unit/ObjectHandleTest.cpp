#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "render/ObjectHandle.h"

namespace {
// Hands out names 1, 2, 3, ... and records every name deleted.
struct CountingTraits {
    static unsigned create() { return ++lastName; }
    static void destroy(unsigned name) { deleted.push_back(name); }
    static inline unsigned lastName = 0;
    static inline std::vector<unsigned> deleted;
};
using Handle = ObjectHandle<CountingTraits, unsigned>;
}  // namespace

TEST(ObjectHandle, EachNameIsDeletedOnceByItsLastOwnerAndNameZeroNever) {
    CountingTraits::lastName = 0;
    CountingTraits::deleted.clear();
    {
        Handle empty;
        Handle first = Handle::create();
        Handle second = Handle::create();
        EXPECT_FALSE(empty);
        EXPECT_EQ(first.get(), 1u);

        Handle moved(std::move(first));
        EXPECT_EQ(first.get(), 0u);  // NOLINT(bugprone-use-after-move): the moved-from state
        EXPECT_EQ(moved.get(), 1u);

        moved = std::move(second);  // the name it held goes now
        EXPECT_EQ(CountingTraits::deleted, std::vector<unsigned>{1u});
        EXPECT_EQ(moved.get(), 2u);
        Handle& alias = moved;
        moved = std::move(alias);  // moving onto itself keeps the name
        EXPECT_EQ(moved.get(), 2u);
        EXPECT_EQ(CountingTraits::deleted.size(), 1u);
    }
    EXPECT_EQ(CountingTraits::deleted, (std::vector<unsigned>{1u, 2u}));
}
