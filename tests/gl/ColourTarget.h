#pragma once

#include <GL/glew.h>

#include <vector>

#include "render/GlHandle.h"

// A square off-screen target for reading back what a test drew: an RGBA colour texture and a
// depth buffer, cleared to black and to the far plane, bound with its viewport while it lives.
class ColourTarget {
public:
    explicit ColourTarget(int targetSize = 64)
        : size(targetSize),
          framebuffer(GlFramebuffer::create()),
          colour(GlTexture::create()),
          depth(GlRenderbuffer::create()) {
        glBindTexture(GL_TEXTURE_2D, colour.get());
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindRenderbuffer(GL_RENDERBUFFER, depth.get());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, size, size);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour.get(),
                               0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  depth.get());
        glViewport(0, 0, size, size);
        clear();
    }
    ~ColourTarget() { glBindFramebuffer(GL_FRAMEBUFFER, 0); }
    ColourTarget(const ColourTarget&) = delete;
    ColourTarget& operator=(const ColourTarget&) = delete;

    void clear() const {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // Every pixel, RGBA, bottom row first.
    std::vector<unsigned char> pixels() const {
        std::vector<unsigned char> data(static_cast<std::size_t>(size) * size * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
        return data;
    }

    // Whether the pixel at (x, y), counted from the bottom left, has any red.
    bool lit(int x, int y) const {
        unsigned char pixel[4] = {0, 0, 0, 0};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        return pixel[0] > 0;
    }

    int litPixels() const {
        const std::vector<unsigned char> data = pixels();
        int count = 0;
        for (std::size_t i = 0; i < data.size(); i += 4) count += data[i] > 0 ? 1 : 0;
        return count;
    }

    // Pixels whose depth is no longer the far plane's.
    int depthWritten() const {
        std::vector<float> data(static_cast<std::size_t>(size) * size);
        glReadPixels(0, 0, size, size, GL_DEPTH_COMPONENT, GL_FLOAT, data.data());
        int count = 0;
        for (float d : data) count += d < 1.0f ? 1 : 0;
        return count;
    }

    int getSize() const { return size; }

private:
    int size;
    GlFramebuffer framebuffer;
    GlTexture colour;
    GlRenderbuffer depth;
};
