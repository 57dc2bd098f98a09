// The only place that speaks an instruction set: the two conversions every
// stage of the tape model uses, and the lanes of the batched kernel.
//
// The conversions are defined for every input, so that a stray value can
// never become undefined behaviour; on x86-64 each is one instruction whose
// definition is exactly the comparison written out below it: no branch,
// whatever the signal does.
//
// The lanes follow the instruction set the including file is compiled for:
// one register of doubles, so that the sums stay in registers. Everything
// about them has internal linkage or is always inlined, so no instruction
// of one set can reach a caller compiled for another.
#pragma once

#include <cstdint>
#include <cstring>
#include <immintrin.h>

#define VX9_LANES [[gnu::always_inline]] inline

namespace VX9Math {
// Truncation toward zero to a signed 32-bit integer. Values outside the
// range (and NaN) give INT32_MIN, as the x86-64 conversion instruction does.
[[gnu::always_inline]] inline std::int32_t TruncInt32(double v)
{
#if defined(__SSE2__)
    return _mm_cvttsd_si32(_mm_set_sd(v));
#else
    if (v > -2147483649.0 && v < 2147483648.0)
        return static_cast<std::int32_t>(v);
    return INT32_MIN;
#endif
}

// min with 1.0, then max with -1.0. Written as comparisons that fail for NaN,
// so a NaN comes out as 1.0 and never reaches the tape.
[[gnu::always_inline]] inline double Clamp(double v)
{
#if defined(__SSE2__)
    // minsd gives (a < b ? a : b), maxsd (a > b ? a : b).
    const __m128d upper = _mm_min_sd(_mm_set_sd(v), _mm_set_sd(1.0));
    return _mm_cvtsd_f64(_mm_max_sd(upper, _mm_set_sd(-1.0)));
#else
    const double upper = v < 1.0 ? v : 1.0;
    return upper > -1.0 ? upper : -1.0;
#endif
}
} // namespace VX9Math

// Vectors of n lanes, and their loads and stores (any alignment).
template <int n>
struct VX9Lanes {
    typedef double Doubles __attribute__((vector_size(n * sizeof(double))));
    typedef float Floats __attribute__((vector_size(n * sizeof(float))));
    typedef std::int32_t Ints __attribute__((vector_size(n * sizeof(std::int32_t))));

    template <class V, class T>
    VX9_LANES static V Load(const T* p)
    {
        V v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }

    template <class V, class T>
    VX9_LANES static void Store(T* p, const V& v)
    {
        std::memcpy(p, &v, sizeof v);
    }
};

namespace {
#if defined(__AVX512F__)
constexpr int kLanes = 8;
#elif defined(__AVX2__)
constexpr int kLanes = 4;
#else
constexpr int kLanes = 2;
#endif

using Doubles = VX9Lanes<kLanes>::Doubles;
using Floats = VX9Lanes<kLanes>::Floats;
using Ints = VX9Lanes<kLanes>::Ints;

// The bytes of v as a To; the rest zero when To is the larger.
template <class To, class From>
VX9_LANES To Bits(const From& v)
{
    To out{};
    std::memcpy(&out, &v, sizeof out < sizeof v ? sizeof out : sizeof v);
    return out;
}

// What each instruction set does in one instruction where the generic
// vector code takes several, or leaves out-of-range values undefined.
#if defined(__AVX512F__)
// Floats to doubles.
VX9_LANES Doubles Widen(Floats v)
{
    return Bits<Doubles>(_mm512_maskz_cvtps_pd(0xFF, Bits<__m256>(v)));
}

// Truncation toward zero of each lane, as TruncInt32 truncates one value.
VX9_LANES Ints TruncLanes(Doubles v)
{
    return Bits<Ints>(_mm512_maskz_cvttpd_epi32(0xFF, Bits<__m512d>(v)));
}

// Lanes 0 to 7 of a 16-float vector, widened.
VX9_LANES Doubles LowerWidened(__m512 v)
{
    typedef float Sixteen __attribute__((vector_size(2 * sizeof(Floats))));
    const auto all = reinterpret_cast<Sixteen&>(v);
    return Widen(__builtin_shufflevector(all, all, 0, 1, 2, 3, 4, 5, 6, 7));
}

// SumTableRows for rows that lie within 32 of `lower`, or, for the lanes in
// `upper`, within 32 of `upperLow`: each lane's entries are permuted out of
// its set's 32-row slice of every column.
template <int taps, class Columns, class Samples>
VX9_LANES void SumSlices(Columns column, const std::int32_t* row, std::int32_t lower,
                         std::int32_t upperLow, __mmask16 upper, Samples sample, Doubles& sa,
                         Doubles& sb)
{
    alignas(64) std::int32_t offsets[2 * kLanes] = {};
    for (int l = 0; l < kLanes; ++l)
        offsets[l] = row[l] - ((upper >> l & 1) != 0 ? upperLow : lower);
    const __m512i index0 = _mm512_load_si512(offsets);
    const __m512i index1 = _mm512_add_epi32(index0, _mm512_set1_epi32(1));
    for (int j = 0; j < taps; ++j) {
        const float* entries = column(j);
        const __m512 a = _mm512_loadu_ps(entries + lower);
        const __m512 b = _mm512_loadu_ps(entries + lower + 16);
        __m512 e0 = _mm512_permutex2var_ps(a, index0, b);
        __m512 e1 = _mm512_permutex2var_ps(a, index1, b);
        if (upper != 0) {
            const __m512 c = _mm512_loadu_ps(entries + upperLow);
            const __m512 d = _mm512_loadu_ps(entries + upperLow + 16);
            e0 = _mm512_mask_blend_ps(upper, e0, _mm512_permutex2var_ps(c, index0, d));
            e1 = _mm512_mask_blend_ps(upper, e1, _mm512_permutex2var_ps(c, index1, d));
        }
        const Doubles x = sample(j);
        sa += LowerWidened(e0) * x;
        sb += LowerWidened(e1) * x;
    }
}

// Lane l sums, over the taps in order, entry (row[l], j) times sample(j)
// into sa and entry (row[l] + 1, j) into sb, when the lanes' rows lie in one
// or two 32-row slices of the table's columns (`column(j)` is column j, with
// 32 rows to spare at its end). Returns false, summing nothing, otherwise.
template <int taps, class Columns, class Samples>
VX9_LANES bool SumTableSlices(Columns column, const std::int32_t* row, Samples sample, Doubles& sa,
                              Doubles& sb)
{
    std::int32_t low = row[0];
    std::int32_t high = row[0];
    for (int l = 1; l < kLanes; ++l) {
        low = row[l] < low ? row[l] : low;
        high = row[l] > high ? row[l] : high;
    }
    // Rows within 32 of each other (the next row included) come from a
    // 32-row slice of each column: two loads and a permute per tap.
    if (high + 1 - low < 32) {
        SumSlices<taps>(column, row, low, low, 0, sample, sa, sb);
        return true;
    }
    // Otherwise the lanes split at the middle row may fit two slices: the
    // head crossing a whole sample within the lanes puts their rows at both
    // ends of the table, and a fast head spreads them widely.
    const std::int32_t middle = low + (high - low + 1) / 2;
    std::int32_t lowerHigh = low;
    std::int32_t upperLow = high;
    __mmask16 upper = 0;
    for (int l = 0; l < kLanes; ++l) {
        if (row[l] < middle) {
            lowerHigh = row[l] > lowerHigh ? row[l] : lowerHigh;
        } else {
            upperLow = row[l] < upperLow ? row[l] : upperLow;
            upper = static_cast<__mmask16>(upper | 1u << l);
        }
    }
    if (lowerHigh + 1 - low < 32 && high + 1 - upperLow < 32) {
        SumSlices<taps>(column, row, low, upperLow, upper, sample, sa, sb);
        return true;
    }
    return false;
}
#else
#if defined(__AVX2__)
VX9_LANES Doubles Widen(Floats v)
{
    return Bits<Doubles>(_mm256_cvtps_pd(Bits<__m128>(v)));
}

VX9_LANES Ints TruncLanes(Doubles v)
{
    return Bits<Ints>(_mm256_cvttpd_epi32(Bits<__m256d>(v)));
}
#else
VX9_LANES Doubles Widen(Floats v)
{
    return Bits<Doubles>(_mm_cvtps_pd(Bits<__m128>(v)));
}

VX9_LANES Ints TruncLanes(Doubles v)
{
    return Bits<Ints>(_mm_cvttpd_epi32(Bits<__m128d>(v)));
}
#endif

// Without AVX-512 no permute reaches across a column's slice: the caller
// gathers entry by entry.
template <int taps, class Columns, class Samples>
VX9_LANES bool SumTableSlices(Columns, const std::int32_t*, Samples, Doubles&, Doubles&)
{
    return false;
}
#endif

VX9_LANES Doubles LoadDoubles(const double* p)
{
    return VX9Lanes<kLanes>::Load<Doubles>(p);
}

VX9_LANES Doubles LoadWidened(const float* p)
{
    return Widen(VX9Lanes<kLanes>::Load<Floats>(p));
}

VX9_LANES void StoreDoubles(double* p, Doubles v)
{
    VX9Lanes<kLanes>::Store(p, v);
}

VX9_LANES void StoreFloats(float* p, Floats v)
{
    VX9Lanes<kLanes>::Store(p, v);
}

// Rounded to float, as static_cast<float> rounds each.
VX9_LANES Floats Narrow(Doubles v)
{
    return __builtin_convertvector(v, Floats);
}

VX9_LANES Doubles ToDoubles(Ints v)
{
    return __builtin_convertvector(v, Doubles);
}

VX9_LANES Floats Magnitudes(Floats v)
{
    return Bits<Floats>(Bits<Ints>(v) & 0x7FFFFFFF);
}
} // namespace
