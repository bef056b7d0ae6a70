/* Preloaded into the sanitized test runs only (tools/test.sh), never into the game itself.
 *
 * When the game shuts the window system down, the OpenGL driver is unloaded with dlclose.
 * Memory that the driver still references from its own globals then looks leaked to
 * LeakSanitizer, and its allocation stacks point into a library that is no longer mapped, so
 * no suppression can name it. Keeping every library loaded until the process exits leaves
 * that memory reachable, while a leak in the game's own code is still reported. */

int dlclose(void* handle) {
    (void)handle;
    return 0;
}
