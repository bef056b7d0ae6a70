#pragma once

#include <GL/glew.h>

#include <array>
#include <optional>

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
inline bool operator==(FramebufferSize a, FramebufferSize b) {
    return a.width == b.width && a.height == b.height;
}
inline bool operator!=(FramebufferSize a, FramebufferSize b) {
    return !(a == b);
}

// Where the scene is drawn before the edge pass: an RGB colour texture and a depth-stencil
// renderbuffer of the size the scene is drawn at (the window's size from the settings, unless a
// larger screen or a render scale says otherwise). An incomplete framebuffer is reported once and
// used regardless. Without depth it holds the edge pass's image on its way to the window.
class OffscreenTarget {
public:
    OffscreenTarget(int width, int height, bool withDepthStencil = true);

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

// Points the edge shader's "screenTexture" sampler, and the upscale shader's "image", at texture
// unit 0.
void prepareEdgeShader(Shader& edgeShader);
void prepareUpscaleShader(Shader& upscaleShader);

// Draws the off-screen image over the whole window through the edge shader, which outlines
// where neighbouring texels differ; its "width" and "height" are the image's. Leaves the depth
// test disabled.
void composeThroughEdgeShader(Shader& edgeShader, const ScreenQuad& quad,
                              const OffscreenTarget& target, FramebufferSize window);

// The off-screen images of one view size and render scale: the scene's at the scene's size and,
// where that is smaller than the view, the edge pass's at the same size, which the final pass
// scales up to the view with linear filtering. Made again only when the size or the scale
// changes, never while a frame is drawn.
class RenderTargets {
public:
    RenderTargets(FramebufferSize view, FramebufferSize scene);

    FramebufferSize view() const { return viewSize; }
    FramebufferSize scene() const { return sceneImage.size(); }
    const OffscreenTarget& sceneTarget() const { return sceneImage; }

    // The edge pass over the scene's image and, for a smaller scene, the scale-up: the window
    // ends up holding the picture at the view's size. Leaves the depth test disabled.
    void compose(Shader& edgeShader, Shader& upscaleShader, const ScreenQuad& quad) const;

private:
    FramebufferSize viewSize;
    OffscreenTarget sceneImage;
    std::optional<OffscreenTarget> edgedImage;
};
