// Preloaded after the address sanitizer's runtime by scripts/ardour-asan-run.sh, so that Debian's Ardour
// can start with that runtime in its process (which an ASan build of the plug-in needs).
//
// Why: the runtime is preloaded but not necessarily initialised first. A library constructor that runs
// before it (libgpg-error's, in Ardour) calls bindtextdomain, which takes glibc's gettext lock for
// writing and then allocates. That first allocation finishes the runtime's start-up, which looks up an
// optional symbol with dlsym and clears the failure with dlerror; dlerror translates its message, and the
// translation lookup takes the same lock for reading. glibc refuses the read lock to the thread that
// holds the write lock, but the lookup ignores that and unlocks anyway, which releases the writer's lock;
// bindtextdomain's own unlock then counts a reader that never was. The lock's reader count is negative
// from then on, and the next writer, Ardour's main() calling bindtextdomain, waits for ever.
//
// So the two calls that take the lock for writing and are not intercepted by the runtime first make it
// finish its start-up, outside the lock; textdomain, the third, is intercepted and so already does.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stddef.h>

// Weak: without the runtime in the process the calls just pass through.
extern void __asan_init (void) __attribute__ ((weak));

static void* next (const char* name)
{
    if (__asan_init != NULL)
        __asan_init(); // returns at once when it has run
    return dlsym (RTLD_NEXT, name);
}

char* bindtextdomain (const char* domain, const char* directory)
{
    static char* (*real) (const char*, const char*);
    if (real == NULL)
        real = (char* (*) (const char*, const char*)) next ("bindtextdomain");
    return real (domain, directory);
}

char* bind_textdomain_codeset (const char* domain, const char* codeset)
{
    static char* (*real) (const char*, const char*);
    if (real == NULL)
        real = (char* (*) (const char*, const char*)) next ("bind_textdomain_codeset");
    return real (domain, codeset);
}
