// The unit of drawing cost: a minimal GL program that presents frames of one
// full-window textured, blended quad, at the player's 10 ms pace, in a
// 1024 x 768 window (or one of the size given) on the same display. Each frame is timed the way the
// preloaded frame shim times the player's: from the frame's glLoadIdentity
// to the return of SDL_GL_SwapWindow. Prints the median in milliseconds and
// the number of frames measured and the program's peak resident size in
// MiB: the floor that any GL program pays on this machine (the GL driver's
// libraries and buffers). Run: quad_reference [frames [width height]]
#include "bench/support/process_figures.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_opengl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    const int width = argc > 3 ? std::atoi(argv[2]) : 1024;
    const int height = argc > 3 ? std::atoi(argv[3]) : 768;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "glint: bench: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("glint quad reference", 0, 0, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "glint: bench: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);

    // A padded power-of-two RGBA texture with a picture in it, as the
    // player's pictures are stored.
    std::vector<unsigned char> pixels(1024 * 1024 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>((i * 31) ^ (i >> 11));
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1024, 1024, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 16, 12, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);

    std::vector<double> costs;
    for (int i = 0; i < frames + 20; ++i) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        const double start = nowMs();
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1, 1, 1, 0.8f);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(0, 0);
        glTexCoord2f(1, 0);
        glVertex2f(16, 0);
        glTexCoord2f(1, 0.75f);
        glVertex2f(16, 12);
        glTexCoord2f(0, 0.75f);
        glVertex2f(0, 12);
        glEnd();
        SDL_GL_SwapWindow(window);
        if (i >= 20) { // the first frames warm the driver up
            costs.push_back(nowMs() - start);
        }
        SDL_Delay(10);
    }
    std::sort(costs.begin(), costs.end());
    std::printf("%.4f %zu %.1f\n", costs[costs.size() / 2], costs.size(), glintBench::peakMiB());
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
