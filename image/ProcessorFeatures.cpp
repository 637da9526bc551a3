#include "image/ProcessorFeatures.h"

// The C library's header names its truth type _Bool, which only GCC accepts in C++.
#if defined(__clang__)
#define _Bool bool
#include <sys/platform/x86.h>
#undef _Bool
#else
#include <sys/platform/x86.h>
#endif

namespace tamrex {

bool ProcessorHasPopcnt() { return CPU_FEATURE_ACTIVE(POPCNT); }

bool ProcessorHasAvx2() { return CPU_FEATURE_ACTIVE(AVX2); }

bool ProcessorHasShaInstructions() { return CPU_FEATURE_ACTIVE(SHA) && CPU_FEATURE_ACTIVE(SSE4_1); }

}  // namespace tamrex
