#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "render/GrassField.h"

// The grass fields draw their standing tiles sorted by these keys.

TEST(GrassDrawOrder, NearestFirstWithTiesInIndexOrder) {
    const glm::vec3 viewpoint(0.0f, 10.0f, 0.0f);
    const std::vector<glm::vec3> centres = {
        {9.0f, 0.0f, 0.0f},   // 0: far
        {3.0f, 0.0f, 0.0f},   // 1: near
        {0.0f, 0.0f, -3.0f},  // 2: as near as 1
        {0.0f, 10.0f, 0.0f},  // 3: at the viewpoint itself
        {-6.0f, 0.0f, 0.0f},  // 4: between
        {0.0f, 0.0f, 3.0f},   // 5: as near as 1 and 2
    };
    std::vector<std::uint64_t> keys;
    // Given in reverse, so that the index order of the ties comes from the keys alone.
    for (std::uint32_t i = static_cast<std::uint32_t>(centres.size()); i-- > 0;) {
        keys.push_back(nearestFirstKey(centres[i], viewpoint, i));
    }
    std::sort(keys.begin(), keys.end());
    std::vector<std::uint32_t> order;
    for (std::uint64_t key : keys) order.push_back(keyIndex(key));
    EXPECT_EQ(order, (std::vector<std::uint32_t>{3, 1, 2, 5, 4, 0}));
}

TEST(GrassDrawOrder, KeysKeepTheWholeIndexAndOrderCloseDistancesFarAway) {
    // A thousand units away, a thousandth of a unit nearer still sorts first.
    const glm::vec3 viewpoint(1000.0f, 0.0f, 0.0f);
    const std::uint64_t nearer = nearestFirstKey({0.0f, 0.0f, 0.0f}, viewpoint, 7);
    const std::uint64_t farther = nearestFirstKey({-0.001f, 0.0f, 0.0f}, viewpoint, 0);
    EXPECT_LT(nearer, farther);
    EXPECT_EQ(keyIndex(nearer), 7u);
    EXPECT_EQ(keyIndex(farther), 0u);
    EXPECT_EQ(keyIndex(nearestFirstKey(viewpoint, viewpoint, 0xffffffffu)), 0xffffffffu);
}
