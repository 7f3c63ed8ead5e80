#ifndef BIX_VECTORCLONES_H
#define BIX_VECTORCLONES_H

// Marks a function of which processors with AVX2 get their own copy, chosen
// when the library is loaded: the compiler vectorises its loops four or eight
// values at a time there, while the build stays generic x86-64. Other
// compilers and machines get the one generic copy.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define BIX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define BIX_VECTOR_CLONES
#endif

#endif
