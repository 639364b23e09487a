// What the fuzz targets share: an invariant that does not hold ends the
// process, so that libFuzzer keeps the input and the replay fails.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void pruefen(bool gilt, const char* was)
{
    if (gilt)
        return;
    std::fprintf(stderr, "invariant violated: %s\n", was);
    std::abort();
}
