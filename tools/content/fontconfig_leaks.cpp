// Fontconfig, which cairo asks for the typeface, keeps a few allocations for
// the life of the process and never frees them. Sanitizer builds run the
// drawing programs at build time (the dialog picture, the icon, the test
// content), so the leak checker is told to ignore those; without a leak
// checker this function is never called. Linked into each drawing program.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
