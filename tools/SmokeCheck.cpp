// Builds the framework and shows what the library carries: the quick check of a fresh build.
#include "framework/EmbeddedResourceTable.h"

#include <cstdio>

int main()
{
    std::printf ("Kelvanor: %d embedded resources\n", embeddedResourceCount);
    for (int i = 0; i < embeddedResourceCount; ++i)
        std::printf ("  %s (%zu bytes)\n", embeddedResourceTable[i].fileName, embeddedResourceTable[i].size);
    return embeddedResourceCount > 0 ? 0 : 1;
}
