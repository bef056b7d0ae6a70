#include "app/Scene.h"

#include <glm/gtc/matrix_transform.hpp>
#include <iostream>

#include "render/Material.h"
#include "render/ModelLoader.h"
#include "render/Shader.h"
#include "render/Texture.h"

namespace {
const char* const robotModelPath = "assets/objects/roboterWheelCentered.obj";
const char* const wheelModelPath = "assets/objects/wheel.obj";

glm::mat4 translation(float x, float y, float z) {
    return glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
}

std::shared_ptr<Material> texturedMaterial(const std::shared_ptr<Shader>& shader,
                                           const std::shared_ptr<Texture>& texture,
                                           glm::vec3 coefficients, float specularAlpha) {
    return std::make_shared<TextureMaterial>(shader, coefficients, specularAlpha, texture);
}

// A texture of the scene, kept decoded for sampling (see Texture::storeDecoded): the same texels,
// read several times faster by a software renderer.
std::shared_ptr<Texture> loadSceneTexture(const char* fileName) {
    auto texture = std::make_shared<Texture>(fileName);
    texture->storeDecoded();
    return texture;
}

// Loads a model and reports, once, when it lacks meshes the scene indexes.
std::vector<GeometryData> loadSceneModel(const char* path, std::size_t meshesNeeded) {
    std::vector<GeometryData> meshes = loadModel(path);
    const std::string message = missingMeshesMessage(path, meshes.size(), meshesNeeded);
    if (!message.empty()) std::cout << message << std::endl;
    return meshes;
}

// A drawable of mesh `index` of `model`, or nothing when the model has no such mesh.
std::optional<Geometry> pieceOf(const std::vector<GeometryData>& model, std::size_t index,
                                const glm::mat4& modelMatrix,
                                const std::shared_ptr<Material>& material) {
    if (index >= model.size()) return std::nullopt;
    return std::optional<Geometry>(std::in_place, modelMatrix, model[index], material);
}

void drawIfPresent(const std::optional<Geometry>& geometry) {
    if (geometry) geometry->draw();
}
}  // namespace

std::string missingMeshesMessage(const std::string& path, std::size_t meshCount,
                                 std::size_t meshesNeeded) {
    if (meshCount >= meshesNeeded) return std::string();
    return "ERROR: '" + path + "' has " + std::to_string(meshCount) + " of the " +
           std::to_string(meshesNeeded) +
           " meshes the scene needs; the missing pieces are left out.";
}

std::string sceneProgramDefinitions() {
    const MaterialExponents& exponent = materialExponents;
    return highlightDefinitions(
        {exponent.floor, exponent.wall, exponent.robot, exponent.wheel, exponent.ball});
}

std::string grassProgramDefinitions() {
    return highlightDefinitions({materialExponents.grass});
}

Scene createScene(std::shared_ptr<Shader> sceneShader, std::shared_ptr<Shader> grassShader) {
    Scene scene;
    scene.shader = std::move(sceneShader);
    const auto& shader = scene.shader;

    const MaterialExponents& exponent = materialExponents;
    scene.floorTexture = loadSceneTexture("celgrass.dds");
    scene.floorMaterial =
        texturedMaterial(shader, scene.floorTexture, {0.1f, 0.7f, 0.02f}, exponent.floor);
    scene.wallTexture = loadSceneTexture("wood_texture.dds");
    scene.wallMaterial =
        texturedMaterial(shader, scene.wallTexture, {0.1f, 0.7f, 0.3f}, exponent.wall);
    scene.robotTexture = loadSceneTexture("robot.dds");
    scene.robotMaterial =
        texturedMaterial(shader, scene.robotTexture, {0.1f, 0.9f, 0.3f}, exponent.robot);
    scene.grassTexture = loadSceneTexture("grass_unmown.dds");
    scene.grassMaterial =
        texturedMaterial(grassShader, scene.grassTexture, {0.1f, 0.7f, 0.02f}, exponent.grass);
    scene.wheelTexture = loadSceneTexture("tiles_specular.dds");
    scene.wheelMaterial =
        texturedMaterial(shader, scene.wheelTexture, {0.1f, 0.7f, 0.02f}, exponent.wheel);
    scene.ballTexture = loadSceneTexture("beachball.dds");
    scene.ballMaterial =
        texturedMaterial(shader, scene.ballTexture, {0.1f, 0.7f, 0.02f}, exponent.ball);

    scene.robotModel = loadSceneModel(robotModelPath, robotModelMeshesNeeded);
    scene.wheelModel = loadSceneModel(wheelModelPath, wheelModelMeshesNeeded);

    const glm::mat4 robotStart = translation(0.0f, 4.0f, 0.0f);
    scene.robotMesh1 = pieceOf(scene.robotModel, 1, robotStart, scene.robotMaterial);
    scene.robotMesh0 = pieceOf(scene.robotModel, 0, robotStart, scene.robotMaterial);
    scene.robotMesh2 = pieceOf(scene.robotModel, 2, robotStart, scene.robotMaterial);
    scene.leftWheel = pieceOf(scene.wheelModel, 0, robotStart, scene.wheelMaterial);
    scene.rightWheel = pieceOf(scene.wheelModel, 0, robotStart, scene.wheelMaterial);

    scene.ground.emplace(translation(0.0f, -0.5f, 0.0f),
                         createBoxGeometry(100.0f, 1.0f, 100.0f, 10.0f, 10.0f),
                         scene.floorMaterial);
    const GeometryData longWall = createBoxGeometry(150.5f, 8.0f, 0.5f, 6.0f, 1.0f);
    const GeometryData shortWall = createBoxGeometry(0.5f, 8.0f, 100.5f, 4.0f, 1.0f);
    scene.wallAtMinusZ.emplace(translation(-25.0f, 4.0f, -50.0f), longWall, scene.wallMaterial);
    scene.wallAtPlusX.emplace(translation(50.0f, 4.0f, 0.0f), shortWall, scene.wallMaterial);
    scene.wallAtPlusZ.emplace(translation(-25.0f, 4.0f, 50.0f), longWall, scene.wallMaterial);
    scene.wallAtMinusX.emplace(translation(-100.0f, 4.0f, 0.0f), shortWall, scene.wallMaterial);
    scene.ballGeometry.emplace(translation(-1.5f, 1.0f, 0.0f), createSphereGeometry(64, 32, 2.0f),
                               scene.ballMaterial);
    return scene;
}

void createLights(Scene& scene, float brightness) {
    scene.dirL = makeSunLight(brightness);
    scene.pointL = makeRobotLamp(brightness);
}

void createRampDrawable(Scene& scene) {
    scene.ramp.emplace(glm::mat4(1.0f), createBoxGeometry(0.5f, 9.5f, 100.5f, 10.0f, 1.0f),
                       scene.floorMaterial);
    scene.ramp->transform(
        glm::rotate(glm::mat4(1.0f), glm::radians(45.0f), glm::vec3(0.0f, 0.0f, 1.0f)));
    scene.ramp->transform(translation(-50.0f, 2.0f, 0.0f));
}

void createPlateauDrawable(Scene& scene) {
    scene.plateau.emplace(translation(-79.0f, 3.5f, 0.0f),
                          createBoxGeometry(50.0f, 2.5f, 100.5f, 5.0f, 10.0f), scene.floorMaterial);
}

void drawRobot(const Scene& scene) {
    drawIfPresent(scene.robotMesh1);
    drawIfPresent(scene.leftWheel);
    drawIfPresent(scene.rightWheel);
}

void drawArena(const Scene& scene) {
    drawIfPresent(scene.ballGeometry);
    drawIfPresent(scene.ramp);
    drawIfPresent(scene.plateau);
    drawIfPresent(scene.wallAtMinusZ);
    drawIfPresent(scene.wallAtPlusX);
    drawIfPresent(scene.wallAtPlusZ);
    drawIfPresent(scene.wallAtMinusX);
    drawIfPresent(scene.ground);
}
