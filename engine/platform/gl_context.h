// The OpenGL context the renderer draws with, on an SDL window.
//
// Order: start SDL's video, GlContext::requestPixelFormat(), create the
// window with SDL_WINDOW_OPENGL, GlContext(window), then the renderer with
// the drawable size. At the end: the renderer's destroyContext (while this
// context is still current), this context's destruction, then the window's.
//
// Ownership: the window is not owned and must outlive the context; the
// context is owned and deleted by the destructor. Units: pixels.
// Threading: the context is current on the thread that made it; use it there.
#pragma once

#include <cstdint>

struct SDL_Window;

namespace keltraWorks {

class GlContext {
  public:
    // Requests the framebuffer the renderer expects: 8 bits each of red,
    // green and blue, no alpha, depth, stencil or accumulation bits, double
    // buffered, compatibility profile. Call after SDL's video has started
    // and before the window is created. False (with a line on stderr) when
    // SDL refuses an attribute.
    static bool requestPixelFormat();

    // Makes a context on `window` and makes it current. On failure (a null
    // window included) a line goes to stderr and isCurrent() is false.
    explicit GlContext(SDL_Window* window);
    // Makes no context current, then deletes this one.
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    bool isCurrent() const { return context != nullptr; }
    // The window's drawable size; 0 x 0 without a context.
    void drawableSize(int32_t* width, int32_t* height) const;

  private:
    SDL_Window* window = nullptr;
    void* context = nullptr; // SDL_GLContext
};

} // namespace keltraWorks
