#pragma once

#include <cstddef>

/** One file of the resources folder, compiled into the library at build time.
    The data is followed by one extra 0 byte (not counted in size), so text resources are terminated. */
struct EmbeddedResourceEntry
{
    const char* fileName;
    const unsigned char* data;
    std::size_t size;
};

/** Terminated by an entry whose fileName is null. */
extern const EmbeddedResourceEntry embeddedResourceTable[];
extern const int embeddedResourceCount;
