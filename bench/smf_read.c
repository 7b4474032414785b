/* Reference reader for the benchmark: Debian's libsmf (C) loads a file.
 * Prints the seconds smf_load took, the events it holds and the peak
 * memory in KiB.
 *
 *   smf_read FILE
 */

#include <smf.h>
#include <stdio.h>
#include <time.h>

#include "peak_memory.h"

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "Usage: smf_read FILE\n");
        return 2;
    }
    const double start = now();
    smf_t* smf = smf_load(argv[1]);
    const double seconds = now() - start;
    if (smf == NULL) {
        return 1;
    }
    long events = 0;
    for (int t = 1; t <= smf->number_of_tracks; t++) {
        events += smf_get_track_by_number(smf, t)->number_of_events;
    }
    printf("%.6f %ld %ld\n", seconds, events, peakKilobytes());
    return 0;
}
