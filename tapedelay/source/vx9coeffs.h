// The four coefficient data areas shared by the controller (which writes
// them), the wrapper (which copies and delivers them) and the kernel (which
// reads them). Plain little-endian values back to back, no padding; every
// offset is fixed and checked below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "missive/source/serialization/kttypeid.h"

// Area 0: the five gains the wrapper smooths and delivers as one record per
// sample (frame count + 1 records per block; sample k reads record k + 1).
struct VX9SmoothedCoeffs {
    double wetGain;
    double dryGain;
    double inputGain;
    double outputGain;
    double feedbackGain;
};

// Area 1: the tape model's per-block values.
struct VX9Coeffs {
    double phaseRate;
    double phase; // target read offset, 1/512 sample
    double inputRecordGain;
    double postDistortionGain;
    double gatedPostDistortionGain; // written by the kernel every sample
    double noiseA;
    double noiseGain;
    double flutterGain;
    double wowGain;
    double combGain;
    double lpA;
    double preLimiterGain;
    double limiterThreshold;
    double limiterMakeup;
    double lowDrive;
    double lowSum;
    double lowDC;
    double midDrive;
    double midSum;
    double midDC;
    double highDrive;
    double highSum;
    double highDC;
};

// A single-precision biquad: y = b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2.
struct VX9BiquadCoeffs {
    float b0;
    float b1;
    float b2;
    float a1;
    float a2;
};

// Area 2: filter coefficients, published as a whole.
struct VX9AtomicCoeffs {
    double hpA;
    double hpB;
    double f;
    double oneOverQ;
    double nfq;
    double quantize;
    double iquantize;
    double crankC;
    double crank1C;
    VX9BiquadCoeffs noiseCoeffs;  // flutter stage 2
    VX9BiquadCoeffs noiseCoeffs2; // flutter stage 1
};

// Area 3: twelve comb entries indexed by tape speed; no named values.
struct VX9CombTable {
    static constexpr int kRows = 3;
    static constexpr int kEntries = 12;
    enum Row { kTapDistance = 0, kGain = 1, kLowMultiplier = 2 };
    float rows[kRows][kEntries];
};

// The coefficient handle of every block call points to one of these.
struct VX9CoeffPack {
    VX9SmoothedCoeffs* smoothed; // frame count + 1 records
    VX9Coeffs* coeffs;
    VX9AtomicCoeffs* atomic;
    VX9CombTable* comb;
};

// One named value as declared to the wrapper.
struct VX9CoeffDecl {
    const char* name;
    std::uint32_t offset;
    std::uint32_t size;
    KtTypeId type;
};

// Hand-laid tables: two declarations a line.
// clang-format off
#define VX9_F64(Area, field) \
    VX9CoeffDecl { #field, offsetof(Area, field), sizeof(double), KtType::kF64 }

inline constexpr VX9CoeffDecl kVX9SmoothedDecls[] = {
    VX9_F64(VX9SmoothedCoeffs, wetGain),    VX9_F64(VX9SmoothedCoeffs, dryGain),
    VX9_F64(VX9SmoothedCoeffs, inputGain),  VX9_F64(VX9SmoothedCoeffs, outputGain),
    VX9_F64(VX9SmoothedCoeffs, feedbackGain),
};

inline constexpr VX9CoeffDecl kVX9CoeffDecls[] = {
    VX9_F64(VX9Coeffs, phaseRate),         VX9_F64(VX9Coeffs, phase),
    VX9_F64(VX9Coeffs, inputRecordGain),   VX9_F64(VX9Coeffs, postDistortionGain),
    VX9_F64(VX9Coeffs, gatedPostDistortionGain),
    VX9_F64(VX9Coeffs, noiseA),            VX9_F64(VX9Coeffs, noiseGain),
    VX9_F64(VX9Coeffs, flutterGain),       VX9_F64(VX9Coeffs, wowGain),
    VX9_F64(VX9Coeffs, combGain),          VX9_F64(VX9Coeffs, lpA),
    VX9_F64(VX9Coeffs, preLimiterGain),    VX9_F64(VX9Coeffs, limiterThreshold),
    VX9_F64(VX9Coeffs, limiterMakeup),     VX9_F64(VX9Coeffs, lowDrive),
    VX9_F64(VX9Coeffs, lowSum),            VX9_F64(VX9Coeffs, lowDC),
    VX9_F64(VX9Coeffs, midDrive),          VX9_F64(VX9Coeffs, midSum),
    VX9_F64(VX9Coeffs, midDC),             VX9_F64(VX9Coeffs, highDrive),
    VX9_F64(VX9Coeffs, highSum),           VX9_F64(VX9Coeffs, highDC),
};

inline constexpr VX9CoeffDecl kVX9AtomicDecls[] = {
    VX9_F64(VX9AtomicCoeffs, hpA),      VX9_F64(VX9AtomicCoeffs, hpB),
    VX9_F64(VX9AtomicCoeffs, f),        VX9_F64(VX9AtomicCoeffs, oneOverQ),
    VX9_F64(VX9AtomicCoeffs, nfq),      VX9_F64(VX9AtomicCoeffs, quantize),
    VX9_F64(VX9AtomicCoeffs, iquantize), VX9_F64(VX9AtomicCoeffs, crankC),
    VX9_F64(VX9AtomicCoeffs, crank1C),
    VX9CoeffDecl{"noiseCoeffs", offsetof(VX9AtomicCoeffs, noiseCoeffs),
                 sizeof(VX9BiquadCoeffs), KtType::kPod},
    VX9CoeffDecl{"noiseCoeffs2", offsetof(VX9AtomicCoeffs, noiseCoeffs2),
                 sizeof(VX9BiquadCoeffs), KtType::kPod},
};

#undef VX9_F64
// clang-format on

namespace VX9Layout {
// Each declaration starts where the previous one ends, the last ends at the
// end of its area: no gaps, nothing undeclared.
template <std::size_t N>
constexpr bool Contiguous(const VX9CoeffDecl (&decls)[N], std::size_t areaSize)
{
    std::size_t next = 0;
    for (const VX9CoeffDecl& decl : decls) {
        if (decl.offset != next)
            return false;
        next += decl.size;
    }
    return next == areaSize;
}
} // namespace VX9Layout

static_assert(sizeof(VX9SmoothedCoeffs) == 40);
static_assert(sizeof(VX9Coeffs) == 184);
static_assert(sizeof(VX9AtomicCoeffs) == 112);
static_assert(sizeof(VX9CombTable) == 144);
static_assert(sizeof(VX9BiquadCoeffs) == 20);
static_assert(std::size(kVX9SmoothedDecls) == 5 && std::size(kVX9CoeffDecls) == 23 &&
              std::size(kVX9AtomicDecls) == 11);
static_assert(VX9Layout::Contiguous(kVX9SmoothedDecls, sizeof(VX9SmoothedCoeffs)));
static_assert(VX9Layout::Contiguous(kVX9CoeffDecls, sizeof(VX9Coeffs)));
static_assert(VX9Layout::Contiguous(kVX9AtomicDecls, sizeof(VX9AtomicCoeffs)));
static_assert(offsetof(VX9Coeffs, phase) == 8 &&
              offsetof(VX9Coeffs, gatedPostDistortionGain) == 32 &&
              offsetof(VX9Coeffs, highDC) == 176);
static_assert(offsetof(VX9AtomicCoeffs, noiseCoeffs) == 72 &&
              offsetof(VX9AtomicCoeffs, noiseCoeffs2) == 92);
static_assert(offsetof(VX9CombTable, rows[1]) == 48 && offsetof(VX9CombTable, rows[2]) == 96);
