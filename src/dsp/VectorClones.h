#pragma once

// On x86-64 a function marked TWIST_VECTOR_CLONES is also built for AVX2
// (without FMA, so no product is fused and every result stays the same) and
// the build to run is chosen once at load time. Not in ThreadSanitizer
// builds: the load-time choice would run before its runtime.
#if defined(__x86_64__) && defined(__GNUC__) && ! defined(__clang__) && ! defined(__SANITIZE_THREAD__)
#define TWIST_VECTOR_CLONES __attribute__ ((target_clones ("avx512f", "avx2", "default")))
#else
#define TWIST_VECTOR_CLONES
#endif
