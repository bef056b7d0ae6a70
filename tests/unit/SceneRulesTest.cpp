#include <gtest/gtest.h>

#include "app/Scene.h"
#include "render/Lights.h"

TEST(SceneLights, BrightnessScalesBothLightColours) {
    const DirectionalLight darkSun = makeSunLight(0.0f);
    const PointLight darkLamp = makeRobotLamp(0.0f);
    EXPECT_EQ(darkSun.color, glm::vec3(0.0f));
    EXPECT_EQ(darkLamp.color, glm::vec3(0.0f));
    EXPECT_TRUE(darkSun.enabled);
    EXPECT_TRUE(darkLamp.enabled);

    EXPECT_EQ(makeSunLight(2.0f).color, glm::vec3(1.6f));
    EXPECT_EQ(makeRobotLamp(2.0f).color, glm::vec3(20.0f));
    EXPECT_EQ(makeSunLight(1.0f).color, glm::vec3(0.8f));
}

TEST(SceneLights, SunShinesDownAndTowardsMinusZAndTheLampStartsAtTheOrigin) {
    const DirectionalLight sun = makeSunLight(1.0f);
    EXPECT_EQ(sun.direction, glm::vec3(0.0f, -0.70710677f, -0.70710677f));
    const PointLight lamp = makeRobotLamp(1.0f);
    EXPECT_EQ(lamp.position, glm::vec3(0.0f));
    EXPECT_EQ(lamp.attenuation, glm::vec3(1.0f, 0.4f, 0.1f));
}

TEST(SceneModels, MissingMeshesAreReportedOnlyWhenTooFew) {
    EXPECT_EQ(missingMeshesMessage("robot.obj", 3, 3), "");
    EXPECT_EQ(missingMeshesMessage("robot.obj", 5, 3), "");
    EXPECT_EQ(missingMeshesMessage("assets/objects/wheel.obj", 0, 1),
              "ERROR: 'assets/objects/wheel.obj' has 0 of the 1 meshes the scene needs; the "
              "missing pieces are left out.");
}
