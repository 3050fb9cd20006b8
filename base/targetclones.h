#pragma once
// Hot numeric kernels are built three times on x86-64, for x86-64-v4 (AVX-512), for
// x86-64-v3 (AVX2, BMI2) and for the baseline, and the loader picks the best one the
// processor runs. All keep the operations and their order (-ffp-contract=off holds for
// all, so no multiply-add is fused), so they compute the same doubles bit for bit.
// Building with -DTONVEX_BASELINE_KERNELS keeps only the baseline, so that its results
// can be tested on any machine. ThreadSanitizer builds keep only the baseline too: the
// loader runs the clones' resolvers before the sanitizer's runtime is up, and their
// instrumented code crashes the program at start.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(TONVEX_BASELINE_KERNELS) &&                         \
    !defined(__SANITIZE_THREAD__)
#define TONVEX_TARGET_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define TONVEX_TARGET_CLONES
#endif
