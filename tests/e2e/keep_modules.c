/* Preloaded into the sanitized game by the end-to-end tests. Closing the X
 * display unloads Mesa's driver before LeakSanitizer looks at the heap: what
 * the driver keeps for the life of the process then looks leaked, and in a
 * library that can no longer be named. With dlclose doing nothing every
 * library stays mapped to the end. */
int dlclose(void* handle) {
    (void)handle;
    return 0;
}
