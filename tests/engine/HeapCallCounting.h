#pragma once

#include <atomic>

/** Every heap call (malloc, calloc, realloc, free) made on a thread while its flag is up is counted. The
    counting allocator functions of the engine tests live in KelvanorRealtimeTest.cpp. */
extern thread_local bool countingAllocations;
extern std::atomic<int> allocationsWhileCounting;
