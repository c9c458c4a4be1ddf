#include "platform/cpu_features.h"

// Only x86 processors have the instruction sets: cpu_features.cpp answers for the others.
#if defined(_M_X64) || defined(_M_IX86) || defined(__x86_64__) || defined(__i386__)

// Every Windows compiler (MSVC, clang-cl, MinGW) offers the processor's own instructions as
// intrinsics; the check asks the processor and the operating system directly.
#include <immintrin.h>
#include <intrin.h>

namespace {

constexpr int kEcx = 2;
constexpr int kEbx = 1;
constexpr int kAvx2Bit = 5;           // CPUID leaf 7, EBX
constexpr int kAvx512FBit = 16;       // CPUID leaf 7, EBX
constexpr int kAvx512DqBit = 17;      // CPUID leaf 7, EBX
constexpr int kOsxsaveBit = 27;       // CPUID leaf 1, ECX
constexpr unsigned kYmmState = 0x6;   // XCR0: SSE and AVX state
constexpr unsigned kZmmState = 0xE6;  // XCR0: also opmask and the upper ZMM registers

bool CpuidBit(int leaf, int reg, int bit)
{
    int info[4] = {};
    __cpuidex(info, leaf, 0);
    return (info[reg] >> bit) & 1;
}

// The register state the operating system saves (XCR0). GCC and clang give _xgetbv only to
// code built for XSAVE; it is called only once CPUID has said that the system uses XSAVE.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((target("xsave")))
#endif
unsigned long long
SavedStateBits()
{
    return _xgetbv(0);
}

bool OsSavesState(unsigned state)
{
    return CpuidBit(1, kEcx, kOsxsaveBit) && (SavedStateBits() & state) == state;
}

}  // namespace

bool CpuHasAvx2()
{
    return OsSavesState(kYmmState) && CpuidBit(7, kEbx, kAvx2Bit);
}

bool CpuHasAvx512()
{
    return OsSavesState(kZmmState) && CpuidBit(7, kEbx, kAvx512FBit) && CpuidBit(7, kEbx, kAvx512DqBit);
}

#endif
