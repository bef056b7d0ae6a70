#include "app/PostProcess.h"

#include <iostream>

#include "render/DrawCalls.h"
#include "render/Shader.h"

ScreenQuad::ScreenQuad() : vao(GlVertexArray::create()), vertexBuffer(GlBuffer::create()) {
    glBindVertexArray(vao.get());
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.get());
    glBufferData(GL_ARRAY_BUFFER, sizeof(screenQuadVertices), screenQuadVertices.data(),
                 GL_STATIC_DRAW);
    const GLsizei stride = 4 * sizeof(float);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(2 * sizeof(float)));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void ScreenQuad::draw() const {
    glBindVertexArray(vao.get());
    glDrawArrays(GL_TRIANGLES, 0, 6);
    countDrawCall(DrawCallKind::PostProcessing);
    glBindVertexArray(0);
}

OffscreenTarget::OffscreenTarget(int width, int height, bool withDepthStencil)
    : framebuffer(GlFramebuffer::create()),
      colorTexture(GlTexture::create()),
      depthStencil(withDepthStencil ? GlRenderbuffer::create() : GlRenderbuffer()),
      targetSize{width, height} {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());

    glBindTexture(GL_TEXTURE_2D, colorTexture.get());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture.get(),
                           0);

    if (withDepthStencil) {
        glBindRenderbuffer(GL_RENDERBUFFER, depthStencil.get());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  depthStencil.get());
    }

    complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!complete) {
        std::cout << "ERROR::FRAMEBUFFER:: Framebuffer is not complete!" << std::endl;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void OffscreenTarget::bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
    glViewport(0, 0, targetSize.width, targetSize.height);
}

void OffscreenTarget::bindWindow(FramebufferSize window) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, window.width, window.height);
}

void prepareEdgeShader(Shader& edgeShader) {
    edgeShader.use();
    edgeShader.setUniform("screenTexture", 0);
}

void prepareUpscaleShader(Shader& upscaleShader) {
    upscaleShader.use();
    upscaleShader.setUniform("image", 0);
}

namespace {
// The window bound, with the depth test off and cleared to white, for the final pass.
void clearWindowForFinalPass(FramebufferSize window) {
    OffscreenTarget::bindWindow(window);
    glDisable(GL_DEPTH_TEST);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

// Draws `image` over the bound framebuffer through the current program, from texture unit 0.
void drawImage(const ScreenQuad& quad, const OffscreenTarget& image) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, image.getColorTexture());
    quad.draw();
}

void drawEdgePass(Shader& edgeShader, const ScreenQuad& quad, const OffscreenTarget& target) {
    edgeShader.use();
    edgeShader.setUniform("width", target.size().width);
    edgeShader.setUniform("height", target.size().height);
    drawImage(quad, target);
}
}  // namespace

void composeThroughEdgeShader(Shader& edgeShader, const ScreenQuad& quad,
                              const OffscreenTarget& target, FramebufferSize window) {
    clearWindowForFinalPass(window);
    drawEdgePass(edgeShader, quad, target);
}

RenderTargets::RenderTargets(FramebufferSize view, FramebufferSize scene)
    : viewSize(view), sceneImage(scene.width, scene.height) {
    if (scene == view) return;
    edgedImage.emplace(scene.width, scene.height, false);
    // Sampled between texels on its way up: its edges must not blend with the opposite ones.
    glBindTexture(GL_TEXTURE_2D, edgedImage->getColorTexture());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void RenderTargets::compose(Shader& edgeShader, Shader& upscaleShader,
                            const ScreenQuad& quad) const {
    if (!edgedImage) {
        composeThroughEdgeShader(edgeShader, quad, sceneImage, viewSize);
        return;
    }
    glDisable(GL_DEPTH_TEST);
    edgedImage->bind();
    drawEdgePass(edgeShader, quad, sceneImage);
    clearWindowForFinalPass(viewSize);
    upscaleShader.use();
    drawImage(quad, *edgedImage);
}
