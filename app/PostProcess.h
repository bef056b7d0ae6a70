#pragma once

#include <GL/glew.h>

#include <array>

#include "render/GlHandle.h"

class Shader;

// Two triangles covering the window: per vertex the clip-space position (x, y), then the
// texture coordinate (u, v).
constexpr std::array<float, 24> screenQuadVertices = {
    -1.0f, 1.0f, 0.0f, 1.0f, -1.0f, -1.0f, 0.0f, 0.0f, 1.0f, -1.0f, 1.0f, 0.0f,
    -1.0f, 1.0f, 0.0f, 1.0f, 1.0f,  -1.0f, 1.0f, 0.0f, 1.0f, 1.0f,  1.0f, 1.0f,
};

// The full-screen quad the edge pass draws: attribute 0 position, attribute 1 texture
// coordinate, in one static buffer.
class ScreenQuad {
public:
    ScreenQuad();
    void draw() const;

private:
    GlVertexArray vao;
    GlBuffer vertexBuffer;
};

// A framebuffer's size in pixels.
struct FramebufferSize {
    int width = 0;
    int height = 0;
};

// Where the scene is drawn before the edge pass: an RGB colour texture and a depth-stencil
// renderbuffer of the window's size from the settings. An incomplete framebuffer is reported
// once and used regardless.
class OffscreenTarget {
public:
    OffscreenTarget(int width, int height);

    // Binding a framebuffer also sets the viewport to all of it: the window the window system
    // gave need not have the size of the target (a full-screen window on a screen that cannot
    // switch modes is the screen's size).
    void bind() const;
    static void bindWindow(FramebufferSize window);

    FramebufferSize size() const { return targetSize; }
    GLuint getFramebuffer() const { return framebuffer.get(); }
    GLuint getColorTexture() const { return colorTexture.get(); }
    GLuint getDepthStencil() const { return depthStencil.get(); }
    bool isComplete() const { return complete; }

private:
    GlFramebuffer framebuffer;
    GlTexture colorTexture;
    GlRenderbuffer depthStencil;
    FramebufferSize targetSize;
    bool complete = false;
};

// Points the edge shader's "screenTexture" sampler at texture unit 0.
void prepareEdgeShader(Shader& edgeShader);

// Draws the off-screen image over the whole window through the edge shader, which outlines
// where neighbouring texels differ; its "width" and "height" are the image's. Leaves the depth
// test disabled.
void composeThroughEdgeShader(Shader& edgeShader, const ScreenQuad& quad,
                              const OffscreenTarget& target, FramebufferSize window);
