/* Times liquid-dsp's firdespm_run on the low pass of bench/compare_remez.sh: pass band 0 to 0.1,
 * stop band from 0.1 + 4/n to 0.5, weights 1 and 10 (liquid-dsp uses its own grid density).
 *
 *   liquid_remez TAPS REPETITIONS
 *
 * prints the median time of one call in seconds. */
#include <liquid/liquid.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static int compare(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: liquid_remez TAPS REPETITIONS\n");
        return 2;
    }
    const unsigned taps = (unsigned)atoi(argv[1]);
    const int reps = atoi(argv[2]);
    float bands[4] = {0.0f, 0.1f, 0.1f + 4.0f / (float)taps, 0.5f};
    float des[2] = {1.0f, 0.0f};
    float weights[2] = {1.0f, 10.0f};
    liquid_firdespm_wtype wtype[2] = {LIQUID_FIRDESPM_FLATWEIGHT, LIQUID_FIRDESPM_FLATWEIGHT};
    float* h = malloc(sizeof(float) * taps);
    double* times = malloc(sizeof(double) * (size_t)reps);
    for (int r = 0; r < reps; ++r) {
        struct timespec start, end;
        clock_gettime(CLOCK_MONOTONIC, &start);
        firdespm_run(taps, 2, bands, des, weights, wtype, LIQUID_FIRDESPM_BANDPASS, h);
        clock_gettime(CLOCK_MONOTONIC, &end);
        times[r] =
            (double)(end.tv_sec - start.tv_sec) + 1e-9 * (double)(end.tv_nsec - start.tv_nsec);
    }
    qsort(times, (size_t)reps, sizeof(double), compare);
    printf("%.6f\n", times[reps / 2]);
    free(h);
    free(times);
    return 0;
}
