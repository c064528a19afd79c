// Works the real player from outside on an X display, for the benchmark
// script, and prints CLOCK_MONOTONIC times in nanoseconds so they can be
// set against the frame log of the preloaded shim:
//   x_driver launch TITLE SECONDS PROGRAM...   start PROGRAM, wait until a
//       top-level window whose name contains TITLE is mapped; prints
//       "<pid> <window id> <start ns> <mapped ns>"
//   x_driver key WINDOW KEYSYM                 focus WINDOW, press and release
//       the key; prints the ns when the release reached the server
//   x_driver click WINDOW X Y                  left click at window pixel X Y
//   x_driver storm WINDOW RATE SECONDS X Y     RATE pointer moves a second for
//       SECONDS inside WINDOW, the last one at X Y; prints the ns of that one
// Exit status 0 on success, 1 on a time-out or an X error, 2 on bad usage.
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

// From libXtst; declared here because its development header is not needed
// for anything else.
Bool XTestFakeMotionEvent(Display*, int, int, int, unsigned long);
Bool XTestFakeButtonEvent(Display*, unsigned int, Bool, unsigned long);
Bool XTestFakeKeyEvent(Display*, unsigned int, Bool, unsigned long);

static unsigned long long nowNs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (unsigned long long)t.tv_sec * 1000000000ull + (unsigned long long)t.tv_nsec;
}

static int nameContains(Display* d, Window w, const char* title) {
    int found = 0;
    char* name = NULL;
    if (XFetchName(d, w, &name) && name != NULL) {
        found = strstr(name, title) != NULL;
        XFree(name);
    }
    if (!found) {
        Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
        Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* value = NULL;
        if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &count,
                               &after, &value) == Success &&
            value != NULL) {
            found = strstr((const char*)value, title) != NULL;
            XFree(value);
        }
    }
    return found;
}

static int launch(Display* d, const char* title, double seconds, char** argv) {
    Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask | PropertyChangeMask);
    XSync(d, False);
    unsigned long long start = nowNs();
    pid_t pid = fork();
    if (pid == 0) {
        // The program's own output goes to stderr, so a caller reading this
        // tool's line is not kept waiting for the program to end.
        dup2(2, 1);
        execvp(argv[0], argv);
        _exit(127);
    }
    if (pid < 0) {
        return 1;
    }
    unsigned long long limit = start + (unsigned long long)(seconds * 1e9);
    // Windows mapped before their name was set are checked again on every
    // later event, so a late title still counts from its mapping.
    Window mapped[64];
    unsigned long long mappedAt[64];
    int mappedCount = 0;
    while (nowNs() < limit) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify && mappedCount < 64) {
                mapped[mappedCount] = e.xmap.window;
                mappedAt[mappedCount++] = nowNs();
            }
        }
        for (int i = 0; i < mappedCount; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(d, mapped[i], &a) && a.map_state == IsViewable &&
                nameContains(d, mapped[i], title)) {
                printf("%d %lu %llu %llu\n", (int)pid, (unsigned long)mapped[i], start,
                       mappedAt[i]);
                return 0;
            }
        }
        usleep(200);
    }
    fprintf(stderr, "x_driver: no window named \"%s\" within %.1f s\n", title, seconds);
    return 1;
}

static void pointerTo(Display* d, Window w, int x, int y) {
    int rx, ry;
    Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(d, DefaultScreen(d), rx, ry, 0);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    Display* d = XOpenDisplay(NULL);
    if (d == NULL) {
        fprintf(stderr, "x_driver: cannot open the display\n");
        return 1;
    }
    const char* what = argv[1];
    if (strcmp(what, "launch") == 0 && argc >= 5) {
        return launch(d, argv[2], atof(argv[3]), argv + 4);
    }
    if (argc < 3) {
        return 2;
    }
    Window w = (Window)strtoul(argv[2], NULL, 0);
    if (strcmp(what, "key") == 0 && argc == 4) {
        KeyCode code = XKeysymToKeycode(d, XStringToKeysym(argv[3]));
        XSetInputFocus(d, w, RevertToParent, CurrentTime);
        XTestFakeKeyEvent(d, code, True, 0);
        XTestFakeKeyEvent(d, code, False, 0);
        XSync(d, False);
        printf("%llu\n", nowNs());
        return 0;
    }
    if (strcmp(what, "click") == 0 && argc == 5) {
        pointerTo(d, w, atoi(argv[3]), atoi(argv[4]));
        XSync(d, False);
        usleep(30000); // the move is its own frame, apart from the click
        XTestFakeButtonEvent(d, 1, True, 0);
        XTestFakeButtonEvent(d, 1, False, 0);
        XSync(d, False);
        printf("%llu\n", nowNs());
        return 0;
    }
    if (strcmp(what, "storm") == 0 && argc == 7) {
        double rate = atof(argv[3]);
        double seconds = atof(argv[4]);
        int lastX = atoi(argv[5]);
        int lastY = atoi(argv[6]);
        XWindowAttributes a;
        XGetWindowAttributes(d, w, &a);
        long count = (long)(rate * seconds);
        unsigned long long start = nowNs();
        for (long i = 0; i < count; ++i) {
            // Paced against the start, so a late move does not shift the rest.
            unsigned long long due = start + (unsigned long long)(i * 1e9 / rate);
            while (nowNs() < due) {
                usleep(100);
            }
            if (i == count - 1) {
                pointerTo(d, w, lastX, lastY);
            } else {
                // A walk over the whole window that never lands on the last point.
                pointerTo(d, w, (int)(i * 37 % (a.width - 1)), (int)(i * 53 % (a.height - 1)));
            }
            XFlush(d);
        }
        XSync(d, False);
        printf("%llu\n", nowNs());
        return 0;
    }
    return 2;
}
