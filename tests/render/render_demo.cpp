// A small scene for looking at the renderer by eye: coloured, outlined,
// textured and blended rectangles and a line of text, drawn with the frame
// rule of the player (identity, push, draw, pop, swap) into a 1024 x 768
// window at the top-left of the screen. Shows it for the given number of
// seconds (default 5). render_demo.sh takes a screenshot of it.
#include "engine/render/render_gl.h"
#include "tools/content/png_writer.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using keltraWorks::RenderGL;

namespace {

// A 96 x 72 picture: a colour gradient with a dark checker and a white
// frame, so the padding and orientation are easy to judge.
std::string writePicture() {
    const int w = 96;
    const int h = 72;
    std::vector<uint8_t> pixels;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool frame = x < 3 || y < 3 || x >= w - 3 || y >= h - 3;
            const bool dark = ((x / 12) + (y / 12)) % 2 == 0;
            const int shade = dark ? 2 : 1;
            pixels.push_back(frame ? 255 : uint8_t(x * 255 / w / shade));
            pixels.push_back(frame ? 255 : uint8_t(y * 255 / h / shade));
            pixels.push_back(frame ? 255 : uint8_t(160 / shade));
        }
    }
    const std::string path = "/tmp/glint-render-demo.png";
    keltraWorks::writeFileAtomically(path, keltraWorks::encodePng(w, h, false, pixels), nullptr);
    return path;
}

void drawScene(RenderGL& r, int picture, int font) {
    // The root: an opaque white rectangle over the whole client area.
    r.bindTexture(0);
    r.setColor(1, 1, 1, 1);
    r.drawRect(vector2(0, 0), vector2(16, 12), 0);

    // Coloured rectangles, one unit apart.
    r.setColor(0.85f, 0.1f, 0.1f, 1);
    r.drawRect(vector2(1, 1), vector2(3, 3), 0);
    r.setColor(0.1f, 0.7f, 0.2f, 1);
    r.drawRect(vector2(4, 1), vector2(6, 3), 0);
    r.setColor(0.1f, 0.3f, 0.9f, 1);
    r.drawRect(vector2(7, 1), vector2(9, 3), 0);

    // An outline, as widgets draw their frames.
    r.pushState();
    r.setPolygonMode(keltraWorks::PolygonLine);
    r.setLineWidth(3);
    r.setColor(0.2f, 0.2f, 0.2f, 1);
    r.drawRect(vector2(10, 1), vector2(15, 3), vector2(1, 1));
    r.popState();

    // A textured rectangle showing exactly its (padded) picture.
    r.pushState();
    r.bindTexture(picture);
    r.setColor(1, 1, 1, 1);
    r.drawRect(vector2(1, 4), vector2(7, 8.5f), picture);
    r.bindTexture(0);
    r.popState();

    // Blended rectangles with ordinary alpha blending.
    r.pushState();
    r.setBlend(keltraWorks::BlendSrcAlpha, keltraWorks::BlendOneMinusSrcAlpha);
    r.setColor(1, 0.6f, 0, 0.6f);
    r.drawRect(vector2(9, 4), vector2(12, 7), 0);
    r.setColor(0, 0.4f, 1, 0.5f);
    r.drawRect(vector2(10.5f, 5.5f), vector2(13.5f, 8.5f), 0);
    r.disableBlend();
    r.popState();

    // A line of text at its baseline, in the Windows code page.
    r.pushState();
    r.bindTexture(0);
    r.setColor(0, 0, 0, 1);
    r.drawText(font, 1.0f, 10.5f, "glint draws text: Courier New 14 bold \x80 caf\xE9 0123");
    r.popState();
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "glint: demo: %s\n", SDL_GetError());
        return 1;
    }
    RenderGL::requestPixelFormat();
    SDL_Window* window = SDL_CreateWindow("glint render demo", 0, 0, 1024, 768,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
    if (window == nullptr) {
        std::fprintf(stderr, "glint: demo: %s\n", SDL_GetError());
        return 1;
    }
    RenderGL* renderer = new RenderGL(window, 16, 12);
    if (!renderer->isAvailable() || renderer->getStatus() != keltraWorks::StatusReady) {
        std::fprintf(stderr, "glint: demo: no GL context\n");
        return 1;
    }
    const int picture = renderer->loadTexture(writePicture(), keltraWorks::FilterLinear, false);
    const int font = renderer->createFont("Courier New", 14, true, false, false);

    const Uint32 until = SDL_GetTicks() + Uint32(seconds) * 1000;
    while (SDL_GetTicks() < until) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        renderer->loadIdentity();
        renderer->pushState();
        drawScene(*renderer, picture, font);
        renderer->popState();
        SDL_GL_SwapWindow(renderer->getDC());
        SDL_Delay(20);
    }
    renderer->destroyContext();
    delete renderer;
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
