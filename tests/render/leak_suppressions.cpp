// Leaks inside third-party libraries that the rendering tests provoke on
// purpose and cannot free: DevIL drops its row-pointer array when libpng
// rejects damaged picture data, and fontconfig keeps its configuration for
// the life of the process. Our own buffers are still checked. Read only by
// LeakSanitizer in sanitizer builds; inert otherwise.
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libIL.so\n"
           "leak:libfontconfig.so\n";
}
