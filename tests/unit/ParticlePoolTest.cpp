#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "effects/Particles.h"

namespace {
const glm::vec3 origin(0.0f);

long awakeCount(const ParticlePool& pool) {
    return std::count_if(pool.particles.begin(), pool.particles.end(),
                         [](const Particle& p) { return p.age >= 0.0f; });
}
}  // namespace

TEST(ParticlePoolTest, NewPoolIsAsleep) {
    ParticlePool pool(500, 500);
    ASSERT_EQ(pool.particles.size(), 500u);
    for (const Particle& p : pool.particles) {
        EXPECT_EQ(p.age, -1.0f);
        EXPECT_EQ(p.lifeFraction, 0.1f);
        EXPECT_EQ(p.velocity, glm::vec3(0.0f, 2.0f, 0.0f));
    }
}

TEST(ParticlePoolTest, SixtyFramesPerSecondWakeEightAndDropTheRest) {
    ParticlePool pool(500, 500);
    pool.update(1.0f / 60.0f, origin, 0.0f);
    EXPECT_EQ(pool.wakeCount, 8u);
    EXPECT_EQ(awakeCount(pool), 8);
    EXPECT_EQ(pool.spawnAccumulator, 0.0f);
    pool.update(1.0f / 60.0f, origin, 0.0f);
    EXPECT_EQ(awakeCount(pool), 16);
}

TEST(ParticlePoolTest, TinyStepsAccumulateUntilOneIsDue) {
    ParticlePool pool(500, 500);
    const float dt = 0.0005f;  // 500 * 0.0005 = 0.25 particles per update
    for (int i = 0; i < 3; ++i) {
        pool.update(dt, origin, 0.0f);
        EXPECT_EQ(awakeCount(pool), 0) << "update " << i;
        EXPECT_EQ(pool.wakeCount, 0u);
    }
    EXPECT_NEAR(pool.spawnAccumulator, 3 * dt, 1e-7f);
    pool.update(dt, origin, 0.0f);
    EXPECT_EQ(awakeCount(pool), 1);
    EXPECT_EQ(pool.spawnAccumulator, 0.0f);
}

TEST(ParticlePoolTest, WokenParticleMovesInTheSameUpdate) {
    ParticlePool pool(1, 100);
    const float dt = 0.1f;
    std::srand(7);
    const float t = static_cast<float>(std::rand() % 1000) / 1000.0f;
    const float lift = static_cast<float>(std::rand() % 1000) / 1500.0f - 0.33f;
    std::srand(7);
    pool.update(dt, origin, 0.0f);

    const Particle& p = pool.particles[0];
    EXPECT_FLOAT_EQ(p.age, dt);
    EXPECT_FLOAT_EQ(p.lifeFraction, dt);
    // Woken between the emitters at x = +0.6 and -0.6, then moved by its first velocity.
    EXPECT_NEAR(p.position.x, 0.6f * t - 0.6f * (1.0f - t), 1e-5f);
    EXPECT_NEAR(p.position.y, 0.7f + lift + dt * 2.0f, 1e-5f);
    EXPECT_NEAR(p.position.z, 1.7f + dt * 5.0f, 1e-5f);
    // Then slowed along the heading and lifted.
    EXPECT_NEAR(p.velocity.z, 5.0f - 5.0f * dt, 1e-5f);
    EXPECT_NEAR(p.velocity.y, 2.0f + 3.0f * dt, 1e-5f);
    EXPECT_NEAR(p.velocity.x, 0.0f, 1e-6f);
}

TEST(ParticlePoolTest, ExpiredParticleIsDrawnOnceMoreThenSleeps) {
    ParticlePool pool(1, 1);
    pool.update(1.0f, origin, 0.0f);  // wakes it, age 1.0
    ASSERT_FLOAT_EQ(pool.particles[0].age, 1.0f);
    pool.update(0.25f, origin, 0.0f);  // not yet past the lifetime when checked: ages to 1.25
    EXPECT_FLOAT_EQ(pool.particles[0].age, 1.25f);
    EXPECT_GT(pool.particles[0].lifeFraction, 1.0f);  // still drawn, with alphaAdd above 1
    pool.update(0.25f, origin, 0.0f);
    EXPECT_EQ(pool.particles[0].age, -1.0f);
}

TEST(ParticlePoolTest, FullPoolWakesNoneAndWarns) {
    ParticlePool pool(4, 60);
    testing::internal::CaptureStdout();
    pool.update(1.0f / 60.0f, origin, 0.0f);  // wakes 1
    pool.update(4.0f / 60.0f, origin, 0.0f);  // wants 4, finds 3
    std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(awakeCount(pool), 4);
    EXPECT_EQ(output,
              "Couldnt wake enough particles, consider changing the Particle System settings\n");

    testing::internal::CaptureStdout();
    pool.update(1.0f / 60.0f, origin, 0.0f);
    output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(awakeCount(pool), 4);
    EXPECT_NE(output.find("Couldnt wake enough particles"), std::string::npos);
}

TEST(ParticlePoolTest, EmittersFollowTheHeading) {
    auto [p1, p2] = ParticlePool::emitterPoints(glm::vec3(10.0f, 1.0f, -3.0f), 0.0f);
    EXPECT_NEAR(p1.x, 10.6f, 1e-5f);
    EXPECT_NEAR(p2.x, 9.4f, 1e-5f);
    EXPECT_NEAR(p1.y, 1.7f, 1e-5f);
    EXPECT_NEAR(p1.z, -1.3f, 1e-5f);
    EXPECT_NEAR(p2.z, -1.3f, 1e-5f);

    // Heading 90 degrees: ahead is +x, the sides are along -z and +z.
    std::tie(p1, p2) = ParticlePool::emitterPoints(origin, 90.0f);
    EXPECT_NEAR(p1.x, 1.7f, 1e-5f);
    EXPECT_NEAR(p1.z, -0.6f, 1e-5f);
    EXPECT_NEAR(p2.z, 0.6f, 1e-5f);

    // New smoke leaves along the heading at 5 units per second.
    ParticlePool pool(1, 60);
    pool.update(1.0f / 60.0f + 1e-6f, origin, 90.0f);
    const Particle& p = pool.particles[0];
    ASSERT_GE(p.age, 0.0f);
    EXPECT_NEAR(p.velocity.x, 5.0f - 5.0f / 60.0f, 1e-4f);
    EXPECT_NEAR(p.velocity.z, 0.0f, 1e-4f);
}

TEST(ParticlePoolTest, HorizontalSpeedFadesOverOneLifetime) {
    ParticlePool pool(1, 1);
    pool.update(1.0f, origin, 0.0f);  // wakes it and moves it a whole lifetime at once
    pool.particles[0].age = 0.0f;
    pool.particles[0].velocity = {0.0f, 2.0f, 5.0f};
    for (int i = 0; i < 60; ++i) pool.update(1.0f / 60.0f, origin, 0.0f);
    const Particle& p = pool.particles[0];
    EXPECT_NEAR(p.velocity.z, 0.0f, 1e-3f);
    EXPECT_NEAR(p.velocity.y, 5.0f, 1e-3f);
}
