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
#include <utility>

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

// min with 1.0, then max with -1.0, for each lane as VX9Math::Clamp for one
// value.
VX9_LANES Doubles ClampLanes(Doubles v)
{
    const __m512d upper = _mm512_maskz_min_pd(0xFF, Bits<__m512d>(v), _mm512_set1_pd(1.0));
    return Bits<Doubles>(_mm512_maskz_max_pd(0xFF, upper, _mm512_set1_pd(-1.0)));
}

// Lane l sums, over the taps in order, entry (row[l], j) times sample(j)
// into sa and entry (row[l] + 1, j) into sb, wherever the rows lie. Pair r
// of `pairs` (`length` entries from pairs + r * length) holds rows r and
// r + 1 by passes of `pass` taps, each pass of row r followed by the same
// taps of row r + 1, zero-padded to whole passes. Each lane loads two passes
// of four taps of both its rows, and the lanes' loads are transposed into
// one vector per tap, its own row's entries below and the next row's above.
template <int taps, int pass, int length, class Samples>
VX9_LANES void SumRowsApart(const float* pairs, const std::int32_t* row, Samples sample,
                            Doubles& sa, Doubles& sb)
{
    typedef float Sixteen __attribute__((vector_size(2 * sizeof(Floats))));
    static_assert(kLanes == 8 && pass == 4 && length >= 2 * taps);
    for (int t0 = 0; t0 < taps; t0 += 8) {
        // v[l]: four taps of lane l's row, the same of the next row, then
        // the next four of each; one 128-bit block each.
        Sixteen v[8];
#pragma GCC unroll 8
        for (int l = 0; l < 8; ++l)
            v[l] = VX9Lanes<kLanes>::Load<Sixteen>(pairs + row[l] * length + 2 * t0);
        // Within each block: lanes l and l + 1 interleaved, then lanes 0-3
        // (and 4-7) of tap e of the block in u[e] (u[4 + e]).
        Sixteen t[8];
#pragma GCC unroll 8
        for (int p = 0; p < 8; p += 2) {
            t[p] = __builtin_shufflevector(v[p], v[p + 1], 0, 16, 1, 17, 4, 20, 5, 21, 8, 24, 9, 25,
                                           12, 28, 13, 29);
            t[p + 1] = __builtin_shufflevector(v[p], v[p + 1], 2, 18, 3, 19, 6, 22, 7, 23, 10, 26,
                                               11, 27, 14, 30, 15, 31);
        }
        Sixteen u[8];
#pragma GCC unroll 8
        for (int h = 0; h < 8; h += 4)
#pragma GCC unroll 8
            for (int e = 0; e < 4; e += 2) {
                u[h + e] = __builtin_shufflevector(t[h + e / 2], t[h + e / 2 + 2], 0, 1, 16, 17, 4,
                                                   5, 20, 21, 8, 9, 24, 25, 12, 13, 28, 29);
                u[h + e + 1] =
                    __builtin_shufflevector(t[h + e / 2], t[h + e / 2 + 2], 2, 3, 18, 19, 6, 7, 22,
                                            23, 10, 11, 26, 27, 14, 15, 30, 31);
            }
        // Blocks 0 and 1 hold taps 0-3 of the eight, blocks 2 and 3 taps 4-7.
        Sixteen tap[8];
#pragma GCC unroll 8
        for (int e = 0; e < 4; ++e) {
            tap[e] = __builtin_shufflevector(u[e], u[4 + e], 0, 1, 2, 3, 16, 17, 18, 19, 4, 5, 6, 7,
                                             20, 21, 22, 23);
            tap[4 + e] = __builtin_shufflevector(u[e], u[4 + e], 8, 9, 10, 11, 24, 25, 26, 27, 12,
                                                 13, 14, 15, 28, 29, 30, 31);
        }
#pragma GCC unroll 8
        for (int e = 0; e < 8; ++e) {
            if (t0 + e >= taps)
                break;
            const Doubles x = sample(t0 + e);
            sa += Widen(__builtin_shufflevector(tap[e], tap[e], 0, 1, 2, 3, 4, 5, 6, 7)) * x;
            sb += Widen(__builtin_shufflevector(tap[e], tap[e], 8, 9, 10, 11, 12, 13, 14, 15)) * x;
        }
    }
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

VX9_LANES Doubles ClampLanes(Doubles v)
{
    const __m256d upper = _mm256_min_pd(Bits<__m256d>(v), _mm256_set1_pd(1.0));
    return Bits<Doubles>(_mm256_max_pd(upper, _mm256_set1_pd(-1.0)));
}

// Lane l sums, over the taps in order, entry (row[l], j) times sample(j)
// into sa and entry (row[l] + 1, j) into sb, wherever the rows lie (pairs
// as above). Each lane loads a pass of four taps of both its rows in one
// load, and the lanes' loads are transposed into one vector per tap, its own
// row's entries below and the next row's above.
template <int taps, int pass, int length, class Samples>
VX9_LANES void SumRowsApart(const float* pairs, const std::int32_t* row, Samples sample,
                            Doubles& sa, Doubles& sb)
{
    typedef float Eight __attribute__((vector_size(2 * sizeof(Floats))));
    static_assert(kLanes == 4 && pass == 4 && length >= 2 * taps);
    for (int t0 = 0; t0 < taps; t0 += 4) {
        Eight v[4];
#pragma GCC unroll 8
        for (int l = 0; l < 4; ++l) {
            v[l] = VX9Lanes<kLanes>::Load<Eight>(pairs + row[l] * length + 2 * t0);
        }
        // Within each half: lanes l and l + 1 interleaved, then the four
        // lanes of tap e in tap[e].
        Eight t[4];
#pragma GCC unroll 8
        for (int p = 0; p < 4; p += 2) {
            t[p] = __builtin_shufflevector(v[p], v[p + 1], 0, 8, 1, 9, 4, 12, 5, 13);
            t[p + 1] = __builtin_shufflevector(v[p], v[p + 1], 2, 10, 3, 11, 6, 14, 7, 15);
        }
        Eight tap[4];
#pragma GCC unroll 8
        for (int e = 0; e < 4; e += 2) {
            tap[e] = __builtin_shufflevector(t[e / 2], t[e / 2 + 2], 0, 1, 8, 9, 4, 5, 12, 13);
            tap[e + 1] =
                __builtin_shufflevector(t[e / 2], t[e / 2 + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        }
#pragma GCC unroll 8
        for (int e = 0; e < 4; ++e) {
            if (t0 + e >= taps)
                break;
            const Doubles x = sample(t0 + e);
            sa += Widen(__builtin_shufflevector(tap[e], tap[e], 0, 1, 2, 3)) * x;
            sb += Widen(__builtin_shufflevector(tap[e], tap[e], 4, 5, 6, 7)) * x;
        }
    }
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

VX9_LANES Doubles ClampLanes(Doubles v)
{
    const __m128d upper = _mm_min_pd(Bits<__m128d>(v), _mm_set1_pd(1.0));
    return Bits<Doubles>(_mm_max_pd(upper, _mm_set1_pd(-1.0)));
}

// Lane l sums, over the taps in order, entry (row[l], j) times sample(j)
// into sa and entry (row[l] + 1, j) into sb, wherever the rows lie (pairs
// as above, by passes of an even number of taps). Each lane loads two taps
// of each of its rows, and the lanes' loads are interleaved into one vector
// per row holding both taps.
template <int taps, int pass, int length, class Samples>
VX9_LANES void SumRowsApart(const float* pairs, const std::int32_t* row, Samples sample,
                            Doubles& sa, Doubles& sb)
{
    typedef float Four __attribute__((vector_size(2 * sizeof(Floats))));
    static_assert(kLanes == 2 && pass % 2 == 0 && length >= 2 * taps);
    const float* first = pairs + row[0] * length;
    const float* second = pairs + row[1] * length;
    for (int t0 = 0; t0 < taps; t0 += 2) {
        const int at = t0 / pass * 2 * pass + t0 % pass;
        const auto load = [](const float* p) { return VX9Lanes<kLanes>::Load<Floats>(p); };
        const Four a = __builtin_shufflevector(load(first + at), load(second + at), 0, 2, 1, 3);
        const Four b =
            __builtin_shufflevector(load(first + at + pass), load(second + at + pass), 0, 2, 1, 3);
        const Doubles x0 = sample(t0);
        sa += Widen(__builtin_shufflevector(a, a, 0, 1)) * x0;
        sb += Widen(__builtin_shufflevector(b, b, 0, 1)) * x0;
        if (t0 + 1 < taps) {
            const Doubles x1 = sample(t0 + 1);
            sa += Widen(__builtin_shufflevector(a, a, 2, 3)) * x1;
            sb += Widen(__builtin_shufflevector(b, b, 2, 3)) * x1;
        }
    }
}
#endif
#endif

// The lanes' values value(0) ... value(kLanes - 1), put together in
// registers: stored one by one and loaded as a vector, they would make the
// load wait until every store has landed.
template <class V, class Value>
VX9_LANES V LanesOf(Value value)
{
    return [&]<int... l>(std::integer_sequence<int, l...>)
    {
        return V{value(l)...};
    }
    (std::make_integer_sequence<int, kLanes>{});
}

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
