#include <gtest/gtest.h>

#include "tools/bench/Options.h"
#include "tools/bench/Statistics.h"

// The frame benchmark's arithmetic and command line; the timing itself is never asserted.

TEST(BenchmarkStatistics, PercentilesInterpolateBetweenRanksOfUnsortedSamples) {
    const std::vector<double> samples = {40.0, 10.0, 30.0, 20.0};
    EXPECT_DOUBLE_EQ(percentile(samples, 50.0), 25.0);
    EXPECT_DOUBLE_EQ(percentile(samples, 0.0), 10.0);
    EXPECT_DOUBLE_EQ(percentile(samples, 100.0), 40.0);
    EXPECT_DOUBLE_EQ(percentile(samples, 1.0), 10.3);
    EXPECT_DOUBLE_EQ(percentile(samples, 99.0), 39.7);
    // Out-of-range percentages are clamped instead of reading past either end.
    EXPECT_DOUBLE_EQ(percentile(samples, -5.0), 10.0);
    EXPECT_DOUBLE_EQ(percentile(samples, 250.0), 40.0);
}

TEST(BenchmarkStatistics, SummaryOfOneAndOfNoSamples) {
    const Summary one = summarize({7.5});
    EXPECT_EQ(one.count, 1u);
    EXPECT_DOUBLE_EQ(one.median, 7.5);
    EXPECT_DOUBLE_EQ(one.p1, 7.5);
    EXPECT_DOUBLE_EQ(one.p99, 7.5);
    EXPECT_DOUBLE_EQ(one.mean, 7.5);

    const Summary none = summarize({});
    EXPECT_EQ(none.count, 0u);
    EXPECT_DOUBLE_EQ(none.median, 0.0);
    EXPECT_DOUBLE_EQ(none.p99, 0.0);
}

TEST(BenchmarkStatistics, SlowOutliersMoveTheMeanAndTheTailButNotTheMedian) {
    std::vector<double> frames(99, 10.0);
    frames.push_back(1010.0);
    const Summary summary = summarize(frames);
    EXPECT_DOUBLE_EQ(summary.median, 10.0);
    EXPECT_DOUBLE_EQ(summary.mean, 20.0);
    EXPECT_GT(summary.p99, 10.0);
}

TEST(BenchmarkStatistics, RatesAndRatiosOfZeroAreZeroInsteadOfInfinite) {
    EXPECT_DOUBLE_EQ(framesPerSecond(25.0), 40.0);
    EXPECT_DOUBLE_EQ(framesPerSecond(0.0), 0.0);
    EXPECT_DOUBLE_EQ(ratioTo(90.0, 30.0), 3.0);
    EXPECT_DOUBLE_EQ(ratioTo(90.0, 0.0), 0.0);
}

TEST(BenchmarkOptions, DefaultsAndBothCounts) {
    std::string error;
    const auto defaults = parseBenchOptions({}, error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->frames, 600);
    EXPECT_EQ(defaults->physicsSteps, 3000);

    EXPECT_EQ(defaults->width, 800);
    EXPECT_EQ(defaults->height, 600);
    EXPECT_EQ(defaults->renderScale, 1.0f);
    EXPECT_FALSE(defaults->automaticRenderScale);

    const auto both = parseBenchOptions({"--physics-steps", "20", "--frames", "5"}, error);
    ASSERT_TRUE(both);
    EXPECT_EQ(both->frames, 5);
    EXPECT_EQ(both->physicsSteps, 20);

    const auto sized = parseBenchOptions({"--size", "2560x1080", "--render-scale", "0.5"}, error);
    ASSERT_TRUE(sized);
    EXPECT_EQ(sized->width, 2560);
    EXPECT_EQ(sized->height, 1080);
    EXPECT_EQ(sized->renderScale, 0.5f);
    const auto automatic = parseBenchOptions({"--render-scale", "auto"}, error);
    ASSERT_TRUE(automatic);
    EXPECT_TRUE(automatic->automaticRenderScale);
}

TEST(BenchmarkOptions, BadArgumentsAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> refused = {
        {"--frames"},
        {"--frames", "0"},
        {"--frames", "-3"},
        {"--frames", "12x"},
        {"--frames", "1000001"},
        {"--frames", "99999999999999999999"},
        {"--frames", " 5"},
        {"--frames", ""},
        {"--speed", "3"},
        {"5"},
        {"--size"},
        {"--size", "1920"},
        {"--size", "1920x"},
        {"--size", "0x600"},
        {"--size", "16385x600"},
        {"--size", "1920x-1080"},
        {"--render-scale", "0.2"},
        {"--render-scale", "1.01"},
        {"--render-scale", "nan"},
        {"--render-scale", "half"},
    };
    for (const auto& arguments : refused) {
        std::string error;
        EXPECT_FALSE(parseBenchOptions(arguments, error)) << arguments.back();
        EXPECT_FALSE(error.empty()) << arguments.back();
    }
    std::string error;
    const auto largest = parseBenchOptions({"--frames", "1000000"}, error);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->frames, 1000000);
}

TEST(BenchmarkStatistics, PairedBlocksCompareEachBlockWithItsNeighbourOnly) {
    // Three rounds of game and floor blocks; the machine slowed down in the second round, which
    // moves both kinds alike and leaves the per-block ratio where it was.
    const std::vector<std::vector<double>> game = {{30.0, 40.0, 50.0}, {80.0, 80.0}, {40.0}};
    const std::vector<std::vector<double>> floor = {{10.0, 10.0, 11.0}, {20.0, 20.0}, {10.0}};
    const std::vector<double> gameMedians = blockMedians(game);
    const std::vector<double> floorMedians = blockMedians(floor);
    EXPECT_EQ(gameMedians, (std::vector<double>{40.0, 80.0, 40.0}));
    EXPECT_EQ(pairedRatios(gameMedians, floorMedians), (std::vector<double>{4.0, 4.0, 4.0}));
    EXPECT_EQ(pairedDifferences(gameMedians, floorMedians),
              (std::vector<double>{30.0, 60.0, 30.0}));

    const Spread spread = spreadOf({1.0, 2.0, 3.0, 4.0, 5.0});
    EXPECT_DOUBLE_EQ(spread.median, 3.0);
    EXPECT_DOUBLE_EQ(spread.lowerQuartile, 2.0);
    EXPECT_DOUBLE_EQ(spread.upperQuartile, 4.0);
}

TEST(BenchmarkStatistics, UnpairedBlocksAndEmptyFloorsAreLeftOut) {
    // A block without a partner, and a floor of 0 (no frames), give no ratio instead of 0 or
    // infinity.
    EXPECT_EQ(pairedRatios({40.0, 50.0, 60.0}, {10.0, 0.0}), (std::vector<double>{4.0}));
    EXPECT_EQ(pairedDifferences({40.0, 50.0, 60.0}, {10.0, 0.0}),
              (std::vector<double>{30.0, 50.0}));
    EXPECT_TRUE(pairedRatios({}, {10.0}).empty());
    EXPECT_EQ(blockMedians({{}}), (std::vector<double>{0.0}));
}

TEST(BenchmarkOptions, PictureAndEdgeComparisonTakeAName) {
    std::string error;
    const auto both = parseBenchOptions(
        {"--picture", "out.ppm", "--compare-edge", "../old/assets/shader", "--frames", "30"},
        error);
    ASSERT_TRUE(both);
    EXPECT_EQ(both->picturePath, "out.ppm");
    EXPECT_EQ(both->compareEdgeFolder, "../old/assets/shader");
    EXPECT_EQ(both->frames, 30);

    const auto none = parseBenchOptions({}, error);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->picturePath.empty());
    EXPECT_TRUE(none->compareEdgeFolder.empty());

    for (const std::vector<std::string>& refused : std::vector<std::vector<std::string>>{
             {"--picture"}, {"--picture", ""}, {"--compare-edge"}, {"--compare-edge", ""}}) {
        error.clear();
        EXPECT_FALSE(parseBenchOptions(refused, error)) << refused[0];
        EXPECT_NE(error.find(refused[0]), std::string::npos) << error;
    }
}
