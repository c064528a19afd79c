#include "engine/platform/gl_context.h"

#include <SDL.h>

#include <cstdio>
#include <utility>

namespace keltraWorks {

bool GlContext::requestPixelFormat() {
    const std::pair<SDL_GLattr, int> attributes[] = {
        {SDL_GL_RED_SIZE, 8},
        {SDL_GL_GREEN_SIZE, 8},
        {SDL_GL_BLUE_SIZE, 8},
        {SDL_GL_ALPHA_SIZE, 0},
        {SDL_GL_DEPTH_SIZE, 0},
        {SDL_GL_STENCIL_SIZE, 0},
        {SDL_GL_ACCUM_RED_SIZE, 0},
        {SDL_GL_ACCUM_GREEN_SIZE, 0},
        {SDL_GL_ACCUM_BLUE_SIZE, 0},
        {SDL_GL_ACCUM_ALPHA_SIZE, 0},
        {SDL_GL_DOUBLEBUFFER, 1},
        {SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY},
    };
    bool ok = true;
    for (const auto& [attribute, value] : attributes) {
        if (SDL_GL_SetAttribute(attribute, value) != 0) {
            std::fprintf(stderr, "glint: platform: cannot request GL attribute %d: %s\n",
                         static_cast<int>(attribute), SDL_GetError());
            ok = false;
        }
    }
    return ok;
}

GlContext::GlContext(SDL_Window* window) : window(window) {
    if (window == nullptr) {
        return;
    }
    SDL_GLContext made = SDL_GL_CreateContext(window);
    if (made == nullptr) {
        std::fprintf(stderr, "glint: platform: cannot create a GL context: %s\n", SDL_GetError());
        return;
    }
    if (SDL_GL_MakeCurrent(window, made) != 0) {
        std::fprintf(stderr, "glint: platform: cannot use the GL context: %s\n", SDL_GetError());
        SDL_GL_DeleteContext(made);
        return;
    }
    context = made;
}

GlContext::~GlContext() {
    if (context != nullptr) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
    }
}

void GlContext::drawableSize(int32_t* width, int32_t* height) const {
    int w = 0, h = 0;
    if (context != nullptr) {
        SDL_GL_GetDrawableSize(window, &w, &h);
    }
    *width = w;
    *height = h;
}

} // namespace keltraWorks
