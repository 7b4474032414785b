/* The peak resident memory of this process since it started (VmHWM), in
 * KiB, 0 where the system does not tell.  For the benchmark programs, C and
 * C++ alike: measured inside the process, it counts nothing of the program
 * that started it. */

#ifndef KOLVO_BENCH_PEAK_MEMORY_H
#define KOLVO_BENCH_PEAK_MEMORY_H

#include <stdio.h>
#include <string.h>

static long peakKilobytes(void) {
    long kilobytes = 0;
    char line[256];
    FILE* status = fopen("/proc/self/status", "r");
    if (status == NULL) {
        return 0;
    }
    while (fgets(line, sizeof line, status) != NULL) {
        if (strncmp(line, "VmHWM:", 6) == 0) {
            sscanf(line + 6, "%ld", &kilobytes);
            break;
        }
    }
    fclose(status);
    return kilobytes;
}

#endif
