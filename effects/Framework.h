#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <glm/vec3.hpp>
#include <vector>

// The rendering framework's start-up check. initFramework confirms that a context is current
// and offers at least OpenGL 3.0, makes sure some program is current (building a small red
// fallback program when none is) and uploads the teapot reference mesh. The game never draws
// either; they stay until destroyFramework at the very end of the run.
bool initFramework();
void destroyFramework();

// The reference mesh as uploaded: 512 teapot positions (turned half way round about y) and
// 1728 triangle indices, 18 per patch.
std::vector<glm::vec3> teapotPositions();
std::vector<std::uint32_t> teapotIndices();

// The reference mesh's buffers, 0 before initFramework and after destroyFramework.
GLuint frameworkVertexBuffer();
GLuint frameworkElementBuffer();
GLuint frameworkVertexArray();
