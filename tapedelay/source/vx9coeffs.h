// The four coefficient data areas shared by the controller (which writes
// them), the wrapper (which copies and delivers them) and the kernel (which
// reads them). Plain little-endian values back to back, no padding; every
// offset is fixed and checked below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "missive/source/serialization/kttypeid.h"

// The field names of areas 0 to 2 are part of the contract with the
// wrapper: each value is declared to it under its field's name (the tables
// below), and hosts find the values by those names. Renaming a field renames
// the value a host sees. Gains are linear factors; a one-pole rate r moves a
// state by r times the distance to its target every sample.

// Area 0: the five gains the wrapper smooths and delivers as one record per
// sample (frame count + 1 records per block; sample k reads record k + 1).
struct VX9SmoothedCoeffs {
    double wetGain;      // gain of the tape's read-out in the output
    double dryGain;      // gain of the input in the output
    double inputGain;    // gain of the input before everything else (the input meter too)
    double outputGain;   // gain of the dry and wet mix
    double feedbackGain; // gain of the tape's read-out into the record sum
};

// Area 1: the tape model's per-block values.
struct VX9Coeffs {
    double phaseRate;               // one-pole rate, per host sample, of both glide stages
    double phase;                   // target read offset on the tape, 1/512 sample
    double inputRecordGain;         // gain of the input into the record sum
    double postDistortionGain;      // gain after the saturation: the target of the gated gain
    double gatedPostDistortionGain; // glides towards it; the kernel writes it every sample
    double noiseA;                  // one-pole rate, per host sample, of the hiss smoother
    double noiseGain;               // level of the smoothed hiss on the tape (1 = full scale)
    double flutterGain;             // head displacement in samples per unit of filtered noise
    double wowGain;          // head displacement in samples per unit of the wow (amplitude 0.5)
    double combGain;         // weight of the comb's newer tap against its older (0: no comb)
    double lpA;              // one-pole rate, per host sample, of the tone low-pass
    double preLimiterGain;   // gain into the limiter
    double limiterThreshold; // level (1 = full scale) above which the limiter's envelope rises
    double limiterMakeup;    // gain after the limiter
    double lowDrive;         // low band: gain into its soft clipper
    double lowSum;           // low band: weight of the clipped band in the sum
    double lowDC;            // low band: offset added before the clipper (1 = full scale)
    double midDrive;         // mid band: gain into its soft clipper
    double midSum;           // mid band: weight in the sum
    double midDC;            // mid band: offset added before the clipper
    double highDrive;        // high band: gain into its first clamp (negative: inverted)
    double highSum;          // high band: weight in the sum
    double highDC;           // high band: offset subtracted after its first clamp
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
    double hpA; // DC blockers: 1 - pole, the input's weight (the gated gain glides at hpA / 100)
    double hpB; // DC blockers: minus the pole, per host sample
    double f;   // band splitter: 2 sin(pi fc / oversampled rate)
    double oneOverQ;              // band splitter: damping, 1 / Q
    double nfq;                   // band splitter: band-state update, -f Q
    double quantize;              // quantiser steps per unit (2 to the bit depth)
    double iquantize;             // one quantiser step, 1 / quantize
    double crankC;                // crank: depth of the amplitude wobble (fraction of the level)
    double crank1C;               // crank: 1 - crankC
    VX9BiquadCoeffs noiseCoeffs;  // flutter stage 2: low-pass of the noise (210 Hz)
    VX9BiquadCoeffs noiseCoeffs2; // flutter stage 1: high-pass of the noise (52.5 Hz)
};

// Area 3: twelve comb entries indexed by tape speed (the read position
// times the algorithm's combScale); no named values.
struct VX9CombTable {
    static constexpr int kRows = 3;
    static constexpr int kEntries = 12;
    enum Row {
        kTapDistance = 0,  // samples between the comb's two taps
        kGain = 1,         // gain of the comb's output
        kLowMultiplier = 2 // weight of the saturation's low band
    };
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
