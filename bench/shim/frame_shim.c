// Preloaded into the real player by scripts/bench.sh to see its frames from
// outside without any switch in the product. It wraps these calls:
// - SDL_GL_SwapWindow, and glXCopySubBufferMESA (which a player showing only
//   the changed part of each frame uses instead, found through
//   glXGetProcAddressARB): one line "S <start ns> <end ns>" per presented
//   frame;
// - glLoadIdentity: the first call after a swap marks the start of the next
//   frame's drawing, written as "D <ns>" before the following swap line;
// - SDL_WaitEventTimeout / SDL_PollEvent: "M <ns> <x> <y>" for each pointer
//   move the loop takes, so the frame that shows a given move can be found.
// Times are CLOCK_MONOTONIC nanoseconds, comparable across processes. The
// log file is named by GLINT_BENCH_FRAME_LOG, read here only; without it
// the shim only forwards the calls.
#define _GNU_SOURCE
#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static FILE* logFile;
static int opened;
static int frameStarted;

static unsigned long long nowNs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (unsigned long long)t.tv_sec * 1000000000ull + (unsigned long long)t.tv_nsec;
}

static FILE* out(void) {
    if (!opened) {
        opened = 1;
        const char* path = getenv("GLINT_BENCH_FRAME_LOG");
        if (path != NULL && path[0] != '\0') {
            logFile = fopen(path, "w");
            if (logFile != NULL) {
                setvbuf(logFile, NULL, _IOFBF, 1 << 16);
            }
        }
    }
    return logFile;
}

static void noteEvent(const SDL_Event* event) {
    if (event != NULL && event->type == SDL_MOUSEMOTION && out() != NULL) {
        fprintf(logFile, "M %llu %d %d\n", nowNs(), event->motion.x, event->motion.y);
    }
}

void SDL_GL_SwapWindow(SDL_Window* window) {
    static void (*real)(SDL_Window*);
    if (real == NULL) {
        real = (void (*)(SDL_Window*))dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    }
    unsigned long long start = nowNs();
    real(window);
    frameStarted = 0;
    if (out() != NULL) {
        fprintf(logFile, "S %llu %llu\n", start, nowNs());
        fflush(logFile); // cheap with a full buffer: one write per frame
    }
}

static void (*realCopySubBuffer)(void*, unsigned long, int, int, int, int);

static void copySubBuffer(void* display, unsigned long drawable, int x, int y, int width,
                          int height) {
    unsigned long long start = nowNs();
    realCopySubBuffer(display, drawable, x, y, width, height);
    frameStarted = 0;
    if (out() != NULL) {
        fprintf(logFile, "S %llu %llu\n", start, nowNs());
        fflush(logFile);
    }
}

typedef void (*GlxFunction)(void);

GlxFunction glXGetProcAddressARB(const unsigned char* name) {
    static GlxFunction (*real)(const unsigned char*);
    if (real == NULL) {
        real = (GlxFunction(*)(const unsigned char*))dlsym(RTLD_NEXT, "glXGetProcAddressARB");
    }
    GlxFunction found = real(name);
    if (found != NULL && strcmp((const char*)name, "glXCopySubBufferMESA") == 0) {
        realCopySubBuffer = (void (*)(void*, unsigned long, int, int, int, int))found;
        return (GlxFunction)copySubBuffer;
    }
    return found;
}

void glLoadIdentity(void) {
    static void (*real)(void);
    if (real == NULL) {
        real = (void (*)(void))dlsym(RTLD_NEXT, "glLoadIdentity");
    }
    if (!frameStarted) {
        frameStarted = 1;
        if (out() != NULL) {
            fprintf(logFile, "D %llu\n", nowNs());
        }
    }
    real();
}

int SDL_WaitEventTimeout(SDL_Event* event, int timeout) {
    static int (*real)(SDL_Event*, int);
    if (real == NULL) {
        real = (int (*)(SDL_Event*, int))dlsym(RTLD_NEXT, "SDL_WaitEventTimeout");
    }
    int got = real(event, timeout);
    if (got) {
        noteEvent(event);
    }
    return got;
}

int SDL_PollEvent(SDL_Event* event) {
    static int (*real)(SDL_Event*);
    if (real == NULL) {
        real = (int (*)(SDL_Event*))dlsym(RTLD_NEXT, "SDL_PollEvent");
    }
    int got = real(event);
    if (got) {
        noteEvent(event);
    }
    return got;
}
