// What the process has used so far, for the frame benchmarks: CPU time of
// every thread (less disturbed than wall time by other work on the machine)
// and minor page faults (the cost of memory given back and faulted in again).
#pragma once

#include <sys/resource.h>

// User plus system CPU time of every thread of the process, in nanoseconds.
inline long long process_cpu_ns()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000000LL +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1000LL;
}

// Minor page faults of the process so far.
inline long process_minor_faults()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}
