#include "effects/Framework.h"

#include <GLFW/glfw3.h>

#include <array>
#include <iostream>
#include <memory>

#include "effects/TeapotData.h"
#include "render/GlHandle.h"
#include "render/Shader.h"

namespace {
const char* const fallbackVertexSource =
    "#version 330 core\nlayout(location = 0) in vec3 position;\nvoid main() {\n"
    "\tgl_Position = vec4(position.xy, -position.z, 1);\n}";
const char* const fallbackFragmentSource =
    "#version 330 core \nuniform vec3 fragColor = vec3(1, 0, 0); \nout vec4 color; \n"
    "void main() {  \n\tcolor = vec4(fragColor, 1); \n}";

constexpr int patchCount = 32;
constexpr int samplesPerSide = 4;
constexpr int samplesPerPatch = samplesPerSide * samplesPerSide;

// The raw figures are z-up and about 3.15 units tall. Stored, the pot is y-up, stands on
// y = -0.483 and its body turns about the vertical line x = -0.011, z = 0.
constexpr float teapotScale = 0.28f;
constexpr float teapotOffsetX = -0.011f;
constexpr float teapotOffsetY = -0.483f;

// What initFramework creates, released only by destroyFramework. It is reached through a
// plain pointer on purpose: a fatal stop ends the process with std::exit, and a static object
// would then delete GL names in static destruction, after the context may be gone.
struct FrameworkResources {
    std::unique_ptr<Shader> fallbackProgram;  // only when no program was current
    GlVertexArray vertexArray;
    GlBuffer vertexBuffer;
    GlBuffer elementBuffer;
};
FrameworkResources* resources = nullptr;

using ControlPatch = std::array<glm::vec3, samplesPerPatch>;

// The 32 patches of the whole pot in the order rim, upper body, lower body, knob, lid, bottom
// (each turned into the four quadrants), handle, spout (each as given and mirrored).
std::vector<ControlPatch> teapotPatches() {
    std::vector<ControlPatch> patches;
    patches.reserve(patchCount);
    auto point = [](int index) {
        const auto& p = teapotControlPoints[static_cast<std::size_t>(index)];
        return glm::vec3(p[0], p[1], p[2]);
    };
    for (int input = 0; input < teapotRotatedPatchCount; ++input) {
        for (int quarter = 0; quarter < 4; ++quarter) {
            ControlPatch patch;
            for (int k = 0; k < samplesPerPatch; ++k) {
                glm::vec3 p = point(teapotInputPatches[input][k]);
                // Quarter turns about z keep the patch's orientation.
                for (int q = 0; q < quarter; ++q) p = glm::vec3(-p.y, p.x, p.z);
                patch[k] = p;
            }
            patches.push_back(patch);
        }
    }
    for (int input = teapotRotatedPatchCount; input < teapotInputPatchCount; input += 2) {
        for (int mirrored = 0; mirrored < 2; ++mirrored) {
            for (int part = input; part < input + 2; ++part) {
                ControlPatch patch;
                for (int row = 0; row < 4; ++row) {
                    for (int column = 0; column < 4; ++column) {
                        // A mirror image reads its columns backwards to keep the winding.
                        const int source = mirrored ? 3 - column : column;
                        glm::vec3 p = point(teapotInputPatches[part][row * 4 + source]);
                        if (mirrored) p.y = -p.y;
                        patch[row * 4 + column] = p;
                    }
                }
                patches.push_back(patch);
            }
        }
    }
    return patches;
}

// The cubic Bernstein weights at t.
std::array<float, 4> bernstein(float t) {
    const float s = 1.0f - t;
    return {s * s * s, 3.0f * t * s * s, 3.0f * t * t * s, t * t * t};
}

void uploadReferenceMesh() {
    const std::vector<glm::vec3> positions = teapotPositions();
    const std::vector<std::uint32_t> indices = teapotIndices();

    resources->vertexArray = GlVertexArray::create();
    glBindVertexArray(resources->vertexArray.get());
    resources->vertexBuffer = GlBuffer::create();
    glBindBuffer(GL_ARRAY_BUFFER, resources->vertexBuffer.get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(positions.size() * sizeof(glm::vec3)),
                 positions.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);

    resources->elementBuffer = GlBuffer::create();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, resources->elementBuffer.get());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)), indices.data(),
                 GL_STATIC_DRAW);

    // The vertex buffer stays bound to GL_ARRAY_BUFFER.
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}
}  // namespace

std::vector<glm::vec3> teapotPositions() {
    std::vector<glm::vec3> positions;
    positions.reserve(patchCount * samplesPerPatch);
    for (const ControlPatch& patch : teapotPatches()) {
        for (int i = 0; i < samplesPerSide; ++i) {
            const auto rowWeights = bernstein(static_cast<float>(i) / 3.0f);
            for (int j = 0; j < samplesPerSide; ++j) {
                const auto columnWeights = bernstein(static_cast<float>(j) / 3.0f);
                glm::vec3 p(0.0f);
                for (int r = 0; r < 4; ++r) {
                    for (int c = 0; c < 4; ++c)
                        p += rowWeights[r] * columnWeights[c] * patch[r * 4 + c];
                }
                // z-up figures to y-up, scaled into place, then the half turn about y that
                // the upload applies (x and z change sign).
                const glm::vec3 stored(p.x * teapotScale + teapotOffsetX,
                                       p.z * teapotScale + teapotOffsetY, -p.y * teapotScale);
                positions.emplace_back(-stored.x, stored.y, -stored.z);
            }
        }
    }
    return positions;
}

std::vector<std::uint32_t> teapotIndices() {
    std::vector<std::uint32_t> indices;
    indices.reserve(patchCount * 18);
    for (std::uint32_t patch = 0; patch < patchCount; ++patch) {
        const std::uint32_t base = samplesPerPatch * patch;
        for (std::uint32_t i = 0; i < 3; ++i) {
            for (std::uint32_t j = 0; j < 3; ++j) {
                const std::uint32_t a = base + 4 * i + j;
                indices.insert(indices.end(), {a, a + 5, a + 4, a, a + 1, a + 5});
            }
        }
    }
    return indices;
}

bool initFramework() {
    if (glfwGetCurrentContext() == nullptr) {
        std::cout << "No context available. Exiting." << std::endl;
        return false;
    }
    if (!GLEW_VERSION_3_0) {
        std::cout << "GLEW not available. Exiting." << std::endl;
        return false;
    }

    if (resources == nullptr) resources = new FrameworkResources();

    GLint currentProgram = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &currentProgram);
    if (currentProgram == 0) {
        resources->fallbackProgram.reset();
        resources->fallbackProgram =
            Shader::fromSource(fallbackVertexSource, fallbackFragmentSource);
        resources->fallbackProgram->use();
    }

    uploadReferenceMesh();
    return true;
}

void destroyFramework() {
    if (resources == nullptr) return;
    resources->vertexBuffer.reset();
    resources->elementBuffer.reset();
    resources->vertexArray.reset();
    resources->fallbackProgram.reset();
    delete resources;
    resources = nullptr;
}

GLuint frameworkVertexBuffer() {
    return resources ? resources->vertexBuffer.get() : 0;
}
GLuint frameworkElementBuffer() {
    return resources ? resources->elementBuffer.get() : 0;
}
GLuint frameworkVertexArray() {
    return resources ? resources->vertexArray.get() : 0;
}
