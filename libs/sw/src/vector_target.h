#pragma once
// Hot pixel loops are built twice, for AVX2 and for the baseline, and the loader picks one per machine once.
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define QRV_VECTOR_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define QRV_VECTOR_LOOP
#endif
