#include "platform/cpu_features.h"

// Processors other than x86 have neither instruction set, on any system; for x86 the system's
// own source asks the processor.
#if !defined(_M_X64) && !defined(_M_IX86) && !defined(__x86_64__) && !defined(__i386__)

bool CpuHasAvx2()
{
    return false;
}

bool CpuHasAvx512()
{
    return false;
}

#endif
