#pragma once
// Hot numeric kernels are built twice on x86-64, for x86-64-v3 (AVX2, BMI2) and for the
// baseline, and the loader picks the one the processor runs. Both keep the operations and
// their order (-ffp-contract=off holds for both, so no multiply-add is fused), so they
// compute the same doubles bit for bit. Building with -DTONVEX_BASELINE_KERNELS keeps
// only the baseline, so that its results can be tested on any machine.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(TONVEX_BASELINE_KERNELS)
#define TONVEX_TARGET_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define TONVEX_TARGET_CLONES
#endif
