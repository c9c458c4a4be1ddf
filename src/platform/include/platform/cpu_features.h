// What the processor this program runs on can execute, checked at run time.
#pragma once

// AVX2 instructions and the operating system's support for their registers.
bool CpuHasAvx2();
// AVX-512 Foundation and Doubleword/Quadword instructions and the operating system's support.
bool CpuHasAvx512();
