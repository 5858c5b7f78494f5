// Preloaded after the address sanitizer's runtime by scripts/ardour-asan-run.sh, so that Debian's Ardour
// and its plug-in scanner can run with that runtime in their process (an ASan build of the plug-in loads
// nowhere else). Without it Ardour hangs at start-up and the scanner at exit.
//
// Why: the runtime is preloaded, but library constructors may run before its own, and the first of them
// that allocates finishes the runtime's start-up from inside the allocation. Some allocate while holding
// one of glibc's locale locks for writing: libgpg-error's calls bindtextdomain (the gettext lock), and
// newlocale, as p11-kit's calls it, holds the setlocale lock. The start-up looks up an optional symbol,
// swift_demangle, and clears the failure with dlerror(). dlerror() translates its message, and the
// translation takes both locks for reading. glibc refuses a read lock to the thread that holds the
// write lock, the translation ignores that and unlocks anyway, which releases the writer's lock; the
// writer's own unlock then counts a reader that never was. From then on the lock's reader count is
// negative and the next writer waits for ever: Ardour's main() in bindtextdomain, the scanner in
// freelocale when p11-kit's destructor runs at exit.
//
// Found here, the lookup succeeds, no failure is left for dlerror() to translate, and the locks are
// never touched. The runtime asks it to demangle names in its reports; NULL means "not a Swift name",
// and the runtime's own demangler is used as before.
#include <stddef.h>
#include <stdint.h>

__attribute__ ((visibility ("default"))) char*
    swift_demangle (const char* name, size_t length, char* out, size_t* outLength, uint32_t flags)
{
    (void) name;
    (void) length;
    (void) out;
    (void) outLength;
    (void) flags;
    return NULL;
}
