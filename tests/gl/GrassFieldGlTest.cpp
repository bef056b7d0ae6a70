#include <gtest/gtest.h>

#include <fstream>
#include <glm/gtc/matrix_transform.hpp>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "physics/PhysicsWorld.h"
#include "render/DrawCalls.h"
#include "render/GrassField.h"
#include "render/Material.h"
#include "render/Shader.h"
#include "tests/gl/ColourTarget.h"
#include "tests/gl/GlTestContext.h"

namespace {

// The game's grass vertex stage, with a fragment stage that paints every covered pixel white.
std::string grassVertexSource() {
    std::ifstream file("assets/shader/grass.vert");
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

const char* fragmentSource = R"(#version 430 core
in VertexData {
    vec3 worldPosition;
    vec3 worldNormal;
    vec2 uv;
} vert;
out vec4 colour;
void main() { colour = vec4(1.0); }
)";

constexpr int trianglesPerBox = 12;
constexpr int targetSize = 64;
constexpr float tileSpacing = 3.0f;

// Straight down on the grid, tiles 0 to 3 along x and along z filling the target: each tile's
// 1.5-wide box covers the middle 8 x 8 pixels of its 16 x 16 cell, tile (row r, column c)
// around pixel (8 + 16 r, 8 + 16 c) from the bottom left.
glm::mat4 topDownViewProjection() {
    const float centre = 1.5f * tileSpacing;
    const float halfSpan = 2.0f * tileSpacing;
    glm::mat4 m(0.0f);
    m[0][0] = 1.0f / halfSpan;  // x to clip x
    m[2][1] = 1.0f / halfSpan;  // z to clip y
    m[1][2] = -0.1f;            // higher is nearer
    m[3] = glm::vec4(-centre / halfSpan, -centre / halfSpan, 0.0f, 1.0f);
    return m;
}

// A field of rows x columns tiles on a fresh physics world, drawn with the game's grass vertex
// stage from straight above, so that every tile has its own patch of the target.
class GrassFieldGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        initPhysics();
        shader = std::shared_ptr<Shader>(Shader::fromSource(grassVertexSource(), fragmentSource));
        material = std::make_shared<Material>(shader, glm::vec3(0.1f, 0.7f, 0.02f), 8.0f);
        shader->use();
        shader->setUniform("viewProjMatrix", topDownViewProjection());
    }
    void TearDown() override {
        glBindVertexArray(0);
        shutdownPhysics();
    }

    std::unique_ptr<GrassField> makeField(int rows, int columns, int matrixRows = -1,
                                          float spacing = tileSpacing) {
        TileGrid tiles;
        MatrixGrid matrices;
        for (int r = 0; r < rows; ++r) {
            tiles.emplace_back();
            if (matrixRows < 0 || r < matrixRows) matrices.emplace_back();
            for (int c = 0; c < columns; ++c) {
                const glm::vec3 at(r * spacing, 0.0f, c * spacing);
                tiles.back().emplace_back(at, glm::vec3(1.5f, 1.0f, 1.5f), gPhysics);
                if (matrixRows < 0 || r < matrixRows) {
                    matrices.back().push_back(glm::translate(glm::mat4(1.0f), at));
                }
            }
        }
        return std::make_unique<GrassField>(std::move(matrices), std::move(tiles),
                                            createBoxGeometry(1.5f, 1.5f, 1.5f, 1.0f, 1.0f),
                                            material);
    }

    // Draws the field from above one corner and returns its result; `triangles` gets what
    // reached the pipeline, and the draw calls are checked: one for a field with tiles to draw.
    bool drawCounting(GrassField& field, GLuint& triangles) {
        GLuint query = 0;
        glGenQueries(1, &query);
        const DrawCallCounts before = drawCallCounts();
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        const bool cleared = field.draw(glm::vec3(-5.0f, 20.0f, -5.0f));
        glEndQuery(GL_PRIMITIVES_GENERATED);
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &triangles);
        glDeleteQueries(1, &query);
        const DrawCallCounts drawn = drawCallsBetween(before, drawCallCounts());
        EXPECT_EQ(drawn.scene, triangles > 0 ? 1u : 0u);
        EXPECT_EQ(drawn.total(), drawn.scene);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return cleared;
    }

    // The tiles whose patch of the target is lit, as (row, column); any lit pixel outside a
    // standing tile's box fails the test.
    static std::set<std::pair<int, int>> tilesSeen(const ColourTarget& target) {
        const std::vector<unsigned char> pixels = target.pixels();
        std::set<std::pair<int, int>> seen;
        for (int y = 0; y < targetSize; ++y) {
            for (int x = 0; x < targetSize; ++x) {
                if (pixels[4 * (static_cast<std::size_t>(y) * targetSize + x)] == 0) continue;
                const int row = x / 16;
                const int column = y / 16;
                const int inCellX = x % 16;
                const int inCellY = y % 16;
                EXPECT_TRUE(inCellX >= 4 && inCellX < 12 && inCellY >= 4 && inCellY < 12)
                    << "lit pixel outside a tile at " << x << ", " << y;
                seen.insert({row, column});
            }
        }
        // A tile counts as drawn when its whole top is.
        for (const auto& [row, column] : seen) {
            for (int y = 4; y < 12; ++y) {
                for (int x = 4; x < 12; ++x) {
                    EXPECT_TRUE(target.lit(16 * row + x, 16 * column + y))
                        << "tile " << row << ", " << column << " only partly drawn";
                }
            }
        }
        return seen;
    }

    // Every (row, column) of a rows x columns grid except `mown`.
    static std::set<std::pair<int, int>> allBut(int rows, int columns,
                                                const std::set<std::pair<int, int>>& mown) {
        std::set<std::pair<int, int>> standing;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                if (mown.count({r, c}) == 0) standing.insert({r, c});
            }
        }
        return standing;
    }

    static void mow(const GrassTile& tile) {
        TriggerPair pair{tile.actor, nullptr};
        gSimulationEvents.onTrigger(&pair, 1);
    }

    std::shared_ptr<Shader> shader;
    std::shared_ptr<Material> material;
};

}  // namespace

TEST_F(GrassFieldGlTest, DrawsExactlyTheStandingTilesAndFollowsEveryChangeBetweenDraws) {
    auto field = makeField(4, 4);
    const TileGrid& tiles = field->getTiles();
    ColourTarget target(targetSize);
    glEnable(GL_DEPTH_TEST);
    GLuint triangles = 0;

    std::set<std::pair<int, int>> mown = {{0, 0}, {1, 2}, {3, 1}, {2, 3}};
    for (const auto& [row, column] : mown) mow(tiles[row][column]);
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 12u * trianglesPerBox);
    EXPECT_EQ(tilesSeen(target), allBut(4, 4, mown));

    // One more mown between two draws is gone from the second.
    mow(tiles[2][2]);
    mown.insert({2, 2});
    target.clear();
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 11u * trianglesPerBox);
    EXPECT_EQ(tilesSeen(target), allBut(4, 4, mown));

    // Tiles standing again between two draws (a new round) are back in the second, wherever
    // they sort.
    regrowTiles(field->getTiles());
    mown.clear();
    target.clear();
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 16u * trianglesPerBox);
    EXPECT_EQ(tilesSeen(target), allBut(4, 4, mown));

    // The same standing tiles seen from elsewhere: another order, the same picture.
    const std::vector<unsigned char> fromOneCorner = target.pixels();
    target.clear();
    field->draw(glm::vec3(20.0f, 20.0f, 20.0f));
    EXPECT_TRUE(target.pixels() == fromOneCorner);
    glDisable(GL_DEPTH_TEST);
}

TEST_F(GrassFieldGlTest, ReportsClearedOnlyWhenTheLastTileIsMownAndThenDrawsNothing) {
    auto field = makeField(3, 4);
    const TileGrid& tiles = field->getTiles();
    ColourTarget target(targetSize);
    GLuint triangles = 0;
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 12u * trianglesPerBox);

    for (auto& row : tiles) {
        for (const GrassTile& tile : row) {
            if (&tile != &tiles[2][3]) mow(tile);
        }
    }
    target.clear();
    EXPECT_FALSE(drawCounting(*field, triangles));  // one tile left
    EXPECT_EQ(triangles, 1u * trianglesPerBox);
    EXPECT_EQ(tilesSeen(target), (std::set<std::pair<int, int>>{{2, 3}}));

    mow(tiles[2][3]);
    target.clear();
    EXPECT_TRUE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 0u);
    EXPECT_EQ(target.litPixels(), 0);
    EXPECT_TRUE(drawCounting(*field, triangles));  // and it stays cleared

    // A new round: the field stands again.
    regrowTiles(field->getTiles());
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 12u * trianglesPerBox);
}

TEST_F(GrassFieldGlTest, AnEmptyGridDrawsNothingAndCountsAsCleared) {
    auto field = makeField(0, 0);
    GLuint triangles = 1;
    EXPECT_TRUE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 0u);
}

TEST_F(GrassFieldGlTest, TilesWithoutAMatrixAreNotDrawnButStillCount) {
    auto field = makeField(3, 2, 2);  // the last row has no matrices
    GLuint triangles = 0;
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 4u * trianglesPerBox);
    const TileGrid& tiles = field->getTiles();
    for (int r = 0; r < 2; ++r) {
        for (const GrassTile& tile : tiles[r]) mow(tile);
    }
    // The undrawable row still stands: the field is not cleared.
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 0u);
}

TEST_F(GrassFieldGlTest, SidesWhereStandingTilesMeetAreLeftOutOnlyWhereNoOneCanSeeThem) {
    // Flush tiles, two mown, seen at a slant from above: the sides around the holes show.
    auto field = makeField(4, 4, -1, 1.5f);
    mow(field->getTiles()[1][1]);
    mow(field->getTiles()[2][3]);
    const glm::vec3 eye(-3.0f, 8.0f, -4.0f);
    shader->use();
    shader->setUniform("viewProjMatrix",
                       glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 100.0f) *
                           glm::lookAt(eye, glm::vec3(2.25f, 0.0f, 2.25f), glm::vec3(0, 1, 0)));
    ColourTarget target(targetSize);
    // The picture with the depth test, and the fragments that reach it without. Back faces are
    // culled, as in the game: a side wrongly left out leaves a gap.
    glEnable(GL_CULL_FACE);
    const auto drawn = [&](const glm::vec3& viewpoint, std::optional<float> nearReach) {
        target.clear();
        glEnable(GL_DEPTH_TEST);
        field->draw(viewpoint, nearReach);
        glDisable(GL_DEPTH_TEST);
        GLuint query = 0;
        GLuint fragments = 0;
        glGenQueries(1, &query);
        glBeginQuery(GL_SAMPLES_PASSED, query);
        field->draw(viewpoint, nearReach);
        glEndQuery(GL_SAMPLES_PASSED);
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &fragments);
        glDeleteQueries(1, &query);
        return std::make_pair(target.pixels(), fragments);
    };
    const auto everySide = drawn(eye, std::nullopt);
    const struct {
        glm::vec3 viewpoint;
        std::optional<float> nearReach;
        bool leftOut;
    } cases[] = {
        {eye, 0.1f, true},
        {glm::vec3(eye.x, 0.5f, eye.z), 0.1f, false},  // inside the grass: below the tops
        {eye, 7.5f, false},                            // the near plane reaches into the grass
    };
    for (const auto& c : cases) {
        const auto [pixels, fragments] = drawn(c.viewpoint, c.nearReach);
        EXPECT_TRUE(pixels == everySide.first) << c.viewpoint.y << " " << *c.nearReach;
        if (c.leftOut) {
            EXPECT_LT(fragments, everySide.second * 3 / 4);
        } else {
            EXPECT_EQ(fragments, everySide.second);
        }
    }
    glDisable(GL_CULL_FACE);
}

TEST_F(GrassFieldGlTest, TilesOutOfViewAreLeftOutAndStillShapeTheSidesOfThoseInView) {
    // Two flush tiles along x; a narrow view straight down on the first leaves out the second.
    auto field = makeField(2, 1, -1, 1.5f);
    const glm::mat4 fromAbove = glm::perspective(glm::radians(8.0f), 1.0f, 0.1f, 100.0f) *
                                glm::lookAt(glm::vec3(0, 8, 0), glm::vec3(0), glm::vec3(0, 0, -1));
    const glm::mat4 fromTheSide =
        glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 100.0f) *
        glm::lookAt(glm::vec3(5, 6, 0), glm::vec3(0.75f, 0, 0), glm::vec3(0, 1, 0));
    ColourTarget target(targetSize);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    GLuint query = 0, triangles = 0;
    glGenQueries(1, &query);
    const auto drawn = [&](const glm::mat4& view, bool leaveOut) {
        shader->use();
        shader->setUniform("viewProjMatrix", view);
        target.clear();
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        field->draw(glm::vec3(0, 6, 0), leaveOut ? std::optional<float>(0.1f) : std::nullopt,
                    leaveOut ? std::optional<glm::mat4>(view) : std::nullopt);
        glEndQuery(GL_PRIMITIVES_GENERATED);
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &triangles);
        return target.pixels();
    };
    const auto everyTile = drawn(fromAbove, false);
    EXPECT_TRUE(drawn(fromAbove, true) == everyTile);
    EXPECT_EQ(triangles, 1u * trianglesPerBox);
    // Mown out of view: the side that met it must show once it comes into view.
    mow(field->getTiles()[1][0]);
    const auto leftOut = drawn(fromTheSide, true);
    EXPECT_TRUE(leftOut == drawn(fromTheSide, false));
    glDeleteQueries(1, &query);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
}
