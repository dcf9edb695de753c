// The processor time the process spent in f (user and system): loading reads
// a file from the page cache and is bound by the processor, and on a machine
// shared with other work this time, unlike the wall-clock time, does not grow
// with the waits for a free processor.
#pragma once

#include <ctime>

template <class F> double ProcessorTime(F&& f) {
    timespec a{}, b{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &a);
    f();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &b);
    return static_cast<double>(b.tv_sec - a.tv_sec) +
           static_cast<double>(b.tv_nsec - a.tv_nsec) * 1e-9;
}
