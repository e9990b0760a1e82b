// A module for the loader tests. Compile definitions choose what it
// carries: PROBE_MAJOR / PROBE_MINOR (a version record), PROBE_TYPE (its
// "ModuleType" text), PROBE_ENTRY (export "KD_Device"), PROBE_MARKER (a file
// its constructor creates, to show whether it was ever loaded).
#include <cstdio>

#include "renderer/module_version.h"

#if defined(PROBE_MAJOR) && defined(PROBE_TYPE)
KAVRI_MODULE_VERSION(PROBE_MAJOR, PROBE_MINOR, L"" PROBE_TYPE);
#elif defined(PROBE_MAJOR)
KAVRI_MODULE_VERSION(PROBE_MAJOR, PROBE_MINOR);
#endif

#ifdef PROBE_ENTRY
extern "C" const char* KD_Device() {
    return PROBE_NAME;
}
#endif

#ifdef PROBE_MARKER
[[gnu::constructor]] static void leave_marker() {
    if (std::FILE* f = std::fopen(PROBE_MARKER, "w")) std::fclose(f);
}
#endif
