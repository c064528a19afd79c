/* Linked into every program of the sanitizer build (scripts/test-sanitize.sh)
 * and nowhere else. Libraries loaded at run time stay loaded: the GL driver
 * that SDL loads holds memory in its globals, and once dlclose unmapped it
 * LeakSanitizer would report that memory as leaked from an unnamed module,
 * which no suppression can name. Kept mapped, it stays reachable, and any
 * real leak in such a library is reported with the library's name. */
int dlclose(void* handle);

int dlclose(void* handle) {
    (void)handle;
    return 0;
}
