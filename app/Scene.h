#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "render/Geometry.h"
#include "render/Lights.h"

class Shader;
class Texture;
class Material;

// The scene needs this many meshes from each model: the robot's left carrier, body and right
// carrier (meshes 0, 1, 2) and the wheel (mesh 0).
constexpr std::size_t robotModelMeshesNeeded = 3;
constexpr std::size_t wheelModelMeshesNeeded = 1;

// Everything visible in the arena except the grass fields and the smoke: the shared textures
// and materials, the imported models, the thirteen drawables and the two lights.
//
// A robot piece whose mesh is missing from its model (file missing or broken) is left empty
// and the game goes on without it: `robotMesh0` and `robotMesh2` only exist when the robot
// model has meshes 0 and 2, the wheels only when the wheel model has a mesh.
struct Scene {
    std::shared_ptr<Shader> shader;

    std::shared_ptr<Texture> floorTexture;
    std::shared_ptr<Texture> wallTexture;
    std::shared_ptr<Texture> robotTexture;
    std::shared_ptr<Texture> grassTexture;
    std::shared_ptr<Texture> wheelTexture;
    std::shared_ptr<Texture> ballTexture;

    std::shared_ptr<Material> floorMaterial;
    std::shared_ptr<Material> wallMaterial;
    std::shared_ptr<Material> robotMaterial;
    std::shared_ptr<Material> grassMaterial;  // for the grass fields
    std::shared_ptr<Material> wheelMaterial;
    std::shared_ptr<Material> ballMaterial;

    std::vector<GeometryData> robotModel;
    std::vector<GeometryData> wheelModel;

    // The robot: only the body and the wheels are drawn; the two carriers give the wheels
    // their base matrices.
    std::optional<Geometry> robotMesh1;  // body
    std::optional<Geometry> robotMesh0;  // left wheel carrier
    std::optional<Geometry> robotMesh2;  // right wheel carrier
    std::optional<Geometry> leftWheel;
    std::optional<Geometry> rightWheel;

    std::optional<Geometry> ground;
    std::optional<Geometry> wallAtMinusZ;  // z = -50
    std::optional<Geometry> wallAtPlusX;   // x = 50
    std::optional<Geometry> wallAtPlusZ;   // z = 50
    std::optional<Geometry> wallAtMinusX;  // x = -100
    std::optional<Geometry> ballGeometry;
    std::optional<Geometry> ramp;     // made once the physics world has its collider
    std::optional<Geometry> plateau;  // likewise

    DirectionalLight dirL;
    PointLight pointL;
};

// The highlight exponents of the six materials, the one place they are set: the scene program
// and the grass program are built for the exponents of the materials they draw.
struct MaterialExponents {
    float floor = 2.0f;
    float wall = 8.0f;
    float robot = 10.0f;
    float grass = 8.0f;
    float wheel = 8.0f;
    float ball = 8.0f;
};
inline constexpr MaterialExponents materialExponents{};
// The definitions for the scene program (floor, walls, robot, wheels, ball) and for the grass
// program ("texture.frag" after "texture.vert" and after "grass.vert"; highlightDefinitions).
std::string sceneProgramDefinitions();
std::string grassProgramDefinitions();

// Loads the six textures and makes the six materials, the grass material on `grassShader` (the
// fields' instanced program) and the others on `sceneShader`, loads the robot and wheel models,
// and creates the first eleven drawables: robot body, carriers and wheels at (0, 4, 0), the
// ground, the four walls and the beach ball. The lights stay dark until `createLights`.
Scene createScene(std::shared_ptr<Shader> sceneShader, std::shared_ptr<Shader> grassShader);

// The sun and the robot's lamp, scaled by the "brightness" setting.
void createLights(Scene& scene, float brightness);

// The ramp (tilted 45 degrees about z, at x = -50) and the plateau beyond it, on the floor
// material; each is made right after its collider.
void createRampDrawable(Scene& scene);
void createPlateauDrawable(Scene& scene);

// Draws the robot's body and wheels (those that exist).
void drawRobot(const Scene& scene);
// Draws the ball, the ramp, the plateau, the four walls and the ground, in that order: nearer the
// camera first as the arena is seen from inside it, and the ground, which lies behind everything,
// last, so that the depth test rejects what nearer surfaces hide before it is shaded.
void drawArena(const Scene& scene);

// The message for a model that lacks meshes the scene needs, or empty when it has them all.
std::string missingMeshesMessage(const std::string& path, std::size_t meshCount,
                                 std::size_t meshesNeeded);
