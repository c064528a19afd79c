// glint: an animated music player. Takes no command line, environment or
// configuration; everything it needs is in its working directory.
#include "app/startup.h"
#include "app/system_startup.h"

int main() {
    SystemStartup steps;
    return runGlint(steps);
}
