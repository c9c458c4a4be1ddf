#include "platform/cpu_features.h"

// Only x86 processors have the instruction sets: cpu_features.cpp answers for the others.
#if defined(_M_X64) || defined(_M_IX86) || defined(__x86_64__) || defined(__i386__)

// The compiler's checks include the operating system's support for the registers.
bool CpuHasAvx2()
{
    return __builtin_cpu_supports("avx2");
}

bool CpuHasAvx512()
{
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
}

#endif
