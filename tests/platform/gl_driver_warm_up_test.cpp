// Loading the GL driver ahead on a worker: it reaches a GL visual on the
// test display, leaves the window library free to make its own GL window
// afterwards, and quietly does nothing without a display.
#include "engine/platform/gl_driver_warm_up.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using keltraWorks::GlDriverWarmUp;

TEST(GlDriverWarmUp, LoadsTheDriverAndLeavesTheMainWindowItsOwnContext) {
    GlDriverWarmUp::start();
    EXPECT_TRUE(GlDriverWarmUp::warmed());

    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* window =
        SDL_CreateWindow("warm", 0, 0, 64, 48, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    EXPECT_NE(context, nullptr) << SDL_GetError();
    // Closing the warm-up's own connection keeps the context usable.
    GlDriverWarmUp::finish();
    GlDriverWarmUp::finish();
    EXPECT_EQ(SDL_GL_MakeCurrent(window, context), 0) << SDL_GetError();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(GlDriverWarmUp, WithoutADisplayItDoesNothing) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    setenv("DISPLAY", ":9999", 1); // no server there
    GlDriverWarmUp::start();
    EXPECT_FALSE(GlDriverWarmUp::warmed());
    GlDriverWarmUp::finish();
    if (display) {
        setenv("DISPLAY", saved.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}
