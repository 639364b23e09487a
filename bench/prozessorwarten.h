// How long the calling thread has waited for a processor while ready to run,
// in seconds (Linux schedstat); negative where the kernel does not tell.
// Shows how much other work on the machine delayed a timed thread.
#pragma once

#include <cstdio>

inline double wartenAufProzessor()
{
    double laufen = 0, warten = -1e9;
    if (std::FILE* f = std::fopen("/proc/thread-self/schedstat", "r")) {
        if (std::fscanf(f, "%lf %lf", &laufen, &warten) != 2)
            warten = -1e9;
        std::fclose(f);
    }
    return warten * 1e-9;
}
