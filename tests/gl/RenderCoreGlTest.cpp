#include <cmath>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <memory>

#include "physics/Camera.h"
#include "render/Geometry.h"
#include "render/GlHandle.h"
#include "render/Lights.h"
#include "render/Material.h"
#include "render/Shader.h"
#include "render/Texture.h"
#include "tests/gl/ColourTarget.h"
#include "tests/gl/GlTestContext.h"

namespace {
std::vector<std::uint8_t> ddsFile(std::uint32_t width, std::uint32_t height, const char* fourCc,
                                  std::uint32_t linearSize, std::size_t dataBytes) {
    std::vector<std::uint8_t> bytes(128 + dataBytes, 0);
    std::memcpy(bytes.data(), "DDS ", 4);
    auto put = [&bytes](std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put(12, height);
    put(16, width);
    put(20, linearSize);
    std::memcpy(bytes.data() + 84, fourCc, 4);
    return bytes;
}

GLint compressedLevelZeroSize(const Texture& texture) {
    glBindTexture(GL_TEXTURE_2D, texture.getHandle());
    GLint size = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED_IMAGE_SIZE, &size);
    return size;
}

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

glm::mat4 uniformMat4(GLuint program, const char* name) {
    glm::mat4 value(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, name), glm::value_ptr(value));
    return value;
}

glm::vec3 uniformVec3(GLuint program, const char* name) {
    glm::vec3 value(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, name), glm::value_ptr(value));
    return value;
}

// The scene program of the game, read from assets/shader/.
std::shared_ptr<Shader> sceneShader() {
    return std::make_shared<Shader>("texture.vert", "texture.frag");
}
}  // namespace

class TextureGlTest : public GlTest {};

TEST_F(TextureGlTest, UploadsTheComputedTopLevelSize) {
    const Texture dxt1(ddsFile(256, 256, "DXT1", 32768, 32768));
    ASSERT_TRUE(dxt1.isValid());
    EXPECT_EQ(compressedLevelZeroSize(dxt1), 32768);

    const Texture dxt5(ddsFile(256, 256, "DXT5", 65536, 65536));
    ASSERT_TRUE(dxt5.isValid());
    EXPECT_EQ(compressedLevelZeroSize(dxt5), 65536);

    const Texture odd(ddsFile(5, 3, "DXT5", 32, 32));
    ASSERT_TRUE(odd.isValid());
    EXPECT_EQ(compressedLevelZeroSize(odd), 32);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Repeats in both directions, with mipmaps generated.
    GLint wrapS = 0, wrapT = 0, minFilter = 0, levels = 0;
    glBindTexture(GL_TEXTURE_2D, dxt1.getHandle());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 8, GL_TEXTURE_WIDTH, &levels);
    EXPECT_EQ(wrapS, GL_REPEAT);
    EXPECT_EQ(wrapT, GL_REPEAT);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(levels, 1);  // the 1 x 1 level exists
}

TEST_F(TextureGlTest, BadFilesGiveEmptyTexturesThatBindNothing) {
    const Texture dx10(ddsFile(4, 4, "DX10", 16, 16));
    const Texture truncated(ddsFile(256, 256, "DXT1", 32768, 1000));
    const Texture missing("no-such-texture.dds");
    EXPECT_FALSE(dx10.isValid());
    EXPECT_FALSE(truncated.isValid());
    EXPECT_FALSE(missing.isValid());
    EXPECT_EQ(missing.getHandle(), 0u);

    const Texture good(ddsFile(4, 4, "DXT1", 8, 8));
    good.bind(3);
    glActiveTexture(GL_TEXTURE1);
    missing.bind(3);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    glActiveTexture(GL_TEXTURE3);
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(good.getHandle()));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureGlTest, AllGameTexturesLoad) {
    for (const char* name : {"celgrass.dds", "wood_texture.dds", "robot.dds", "grass_unmown.dds",
                             "tiles_specular.dds", "beachball.dds", "smoke.dds"}) {
        EXPECT_TRUE(Texture(name).isValid()) << name;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

class GeometryGlTest : public GlTest {};

TEST_F(GeometryGlTest, MeshBuffersKeepTheirIndexBufferInTheVertexArray) {
    const MeshBuffers mesh(createBoxGeometry(1, 1, 1, 1, 1));
    EXPECT_EQ(mesh.getElementCount(), 36);
    EXPECT_EQ(integer(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(integer(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
    mesh.bind();
    EXPECT_NE(integer(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
    for (GLuint location = 0; location < 3; ++location) {
        GLint enabled = 0, size = 0;
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
        EXPECT_EQ(enabled, GL_TRUE);
        EXPECT_EQ(size, location == 2 ? 2 : 3);
    }
    MeshBuffers::unbind();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GeometryGlTest, AMeshWithIndicesPastItsVerticesDrawsNothing) {
    GeometryData broken = createBoxGeometry(1, 1, 1, 1, 1);
    broken.indices.push_back(24);
    broken.indices.push_back(0);
    broken.indices.push_back(1);
    const MeshBuffers mesh(broken);
    EXPECT_EQ(mesh.getElementCount(), 0);
    mesh.bind();
    mesh.drawElements();
    MeshBuffers::unbind();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GeometryGlTest, TransformAppliesAfterTheCurrentMatrix) {
    auto material = std::make_shared<Material>(sceneShader(), glm::vec3(0.1f, 0.7f, 0.02f), 2.0f);
    Geometry box(glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)),
                 createBoxGeometry(1, 1, 1, 1, 1), material);
    const glm::mat4 t = glm::translate(glm::mat4(1.0f), glm::vec3(5, 0, 0));
    const glm::mat4 s = glm::scale(glm::mat4(1.0f), glm::vec3(2, 3, 4));
    box.resetModelMatrix();
    EXPECT_EQ(box.transform(t), t);
    EXPECT_EQ(box.transform(s), s * t);
    EXPECT_EQ(box.getModelMatrix(), s * t);
}

TEST_F(GeometryGlTest, DrawSendsModelAndNormalMatrices) {
    auto shader = sceneShader();
    auto material = std::make_shared<Material>(shader, glm::vec3(0.1f, 0.7f, 0.02f), 2.0f);
    const glm::mat4 model = glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)),
                                       glm::vec3(2.0f, 1.0f, 0.5f));
    const Geometry box(model, createBoxGeometry(1, 1, 1, 1, 1), material);
    box.draw();
    const GLuint program = shader->getProgram();
    EXPECT_EQ(uniformMat4(program, "modelMatrix"), model);
    glm::mat3 normalMatrix(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "normalMatrix"),
                   glm::value_ptr(normalMatrix));
    // Inverse-transpose of the scale: x shrinks by 2, z grows by 2.
    EXPECT_FLOAT_EQ(normalMatrix[0][0], 0.5f);
    EXPECT_FLOAT_EQ(normalMatrix[1][1], 1.0f);
    EXPECT_FLOAT_EQ(normalMatrix[2][2], 2.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

class MaterialGlTest : public GlTest {};

TEST_F(MaterialGlTest, TextureMaterialSetsItsUniformsAndBindsUnitZero) {
    auto shader = sceneShader();
    auto texture = std::make_shared<Texture>(ddsFile(4, 4, "DXT1", 8, 8));
    TextureMaterial material(shader, glm::vec3(0.1f, 0.9f, 0.3f), 10.0f, texture);
    glActiveTexture(GL_TEXTURE2);
    shader->use();
    shader->setUniform("diffuseTexture", 5);
    material.setUniforms();

    const GLuint program = shader->getProgram();
    EXPECT_EQ(uniformVec3(program, "materialCoefficients"), glm::vec3(0.1f, 0.9f, 0.3f));
    GLfloat alpha = 0.0f;
    glGetUniformfv(program, glGetUniformLocation(program, "specularAlpha"), &alpha);
    EXPECT_EQ(alpha, 10.0f);
    GLint sampler = -1;
    glGetUniformiv(program, glGetUniformLocation(program, "diffuseTexture"), &sampler);
    EXPECT_EQ(sampler, 0);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture->getHandle()));
}

TEST_F(MaterialGlTest, AFailedTextureLeavesUnitZeroAsItWasButStillSetsTheSampler) {
    auto shader = sceneShader();
    const Texture previous(ddsFile(4, 4, "DXT1", 8, 8));
    previous.bind(0);
    TextureMaterial material(shader, glm::vec3(0.1f), 2.0f,
                             std::make_shared<Texture>("no-such-texture.dds"));
    shader->use();
    shader->setUniform("diffuseTexture", 4);
    material.setUniforms();
    EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(previous.getHandle()));
    GLint sampler = -1;
    glGetUniformiv(shader->getProgram(),
                   glGetUniformLocation(shader->getProgram(), "diffuseTexture"), &sampler);
    EXPECT_EQ(sampler, 0);
}

TEST_F(MaterialGlTest, TheHighlightIsTheExponentsPowerForEveryExponent) {
    // A flat square facing the eye far above it, lit by the sun alone from an angle at which its
    // reflection leaves towards the eye at a cosine of 0.95: the highlight's weight 1 makes its
    // red 0.95 to the power of the exponent, as pow() on the processor has it.
    constexpr float cosine = 0.95f;
    const ColourTarget target(16);
    const GlVertexArray square = GlVertexArray::create();
    const GlBuffer corners = GlBuffer::create();
    const float positions[] = {-1.0f, -1.0f, 0.0f, 1.0f, -1.0f, 0.0f,
                               -1.0f, 1.0f,  0.0f, 1.0f, 1.0f,  0.0f};
    glBindVertexArray(square.get());
    glBindBuffer(GL_ARRAY_BUFFER, corners.get());
    glBufferData(GL_ARRAY_BUFFER, sizeof positions, positions, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glVertexAttrib3f(1, 0.0f, 0.0f, 1.0f);  // the normal of every corner
    glVertexAttrib2f(2, 0.0f, 0.0f);

    for (const float exponent : {0.0f, 1.0f, 2.5f, 8.0f, 10.0f, 16.0f, 32.0f}) {
        // Built as the game builds the program for a material of this exponent.
        auto shader = std::make_shared<Shader>("texture.vert", "texture.frag",
                                               highlightDefinitions({exponent}));
        shader->use();
        shader->setUniform("modelMatrix", glm::mat4(1.0f));
        shader->setUniform("normalMatrix", glm::mat3(1.0f));
        shader->setUniform("viewProjMatrix", glm::mat4(1.0f));
        shader->setUniform("camera_world", glm::vec3(0.0f, 0.0f, 1000.0f));
        shader->setUniform("dirL.color", glm::vec3(1.0f));
        shader->setUniform("dirL.direction",
                           -glm::vec3(std::sqrt(1.0f - cosine * cosine), 0.0f, cosine));
        shader->setUniform("pointL.color", glm::vec3(0.0f));
        shader->setUniform("pointL.attenuation", glm::vec3(1.0f, 0.0f, 0.0f));
        Material(shader, glm::vec3(0.0f, 0.0f, 1.0f), exponent).setUniforms();
        target.clear();
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        unsigned char pixel[4] = {0, 0, 0, 0};
        glReadPixels(8, 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        EXPECT_NEAR(pixel[0] / 255.0, std::pow(double{cosine}, double{exponent}), 1.0 / 255.0)
            << "exponent " << exponent;
    }
    glBindVertexArray(0);
}

class LightsGlTest : public GlTest {};

TEST_F(LightsGlTest, PerFrameUniformsReachTheSceneProgram) {
    auto shader = sceneShader();
    Camera viewer;
    viewer.viewMatrix = glm::mat4(1.0f);
    viewer.position = glm::vec3(1, 2, 3);
    const glm::mat4 projection = glm::perspective(1.0f, 4.0f / 3.0f, 0.1f, 100.0f);
    PointLight lamp = makeRobotLamp(2.0f);
    lamp.position = glm::vec3(0, 5, 0);
    const GLuint program = shader->getProgram();
    // A lit frame first, so that the dark sun below has to be uploaded to read as black.
    setPerFrameUniforms(shader.get(), &viewer, makeSunLight(1.0f), lamp, projection);
    EXPECT_EQ(uniformVec3(program, "dirL.color"), glm::vec3(0.8f));
    Shader::unuse();
    setPerFrameUniforms(shader.get(), &viewer, makeSunLight(0.0f), lamp, projection);

    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), static_cast<GLint>(program));
    EXPECT_EQ(uniformMat4(program, "viewProjMatrix"), projection);
    EXPECT_EQ(uniformVec3(program, "camera_world"), glm::vec3(1, 2, 3));
    EXPECT_EQ(uniformVec3(program, "dirL.color"), glm::vec3(0.0f));
    EXPECT_EQ(uniformVec3(program, "dirL.direction"), glm::vec3(0.0f, -0.70710677f, -0.70710677f));
    EXPECT_EQ(uniformVec3(program, "pointL.color"), glm::vec3(20.0f));
    EXPECT_EQ(uniformVec3(program, "pointL.position"), glm::vec3(0, 5, 0));
    EXPECT_EQ(uniformVec3(program, "pointL.attenuation"), glm::vec3(1.0f, 0.4f, 0.1f));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
