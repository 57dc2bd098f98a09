// Pins the rendered audio bit for bit. Every mode and tone at the four common
// host rates (and one rate that is not a whole number, where the controller's
// single-precision products matter) renders noise, silence and an impulse
// through the real controller's coefficients, with a delay change half-way
// that glides the head across the comb table. Each output is hashed.
//
// A change meant only to make things faster must leave every hash as it is.
// A change meant to alter the sound must replace the table below with the one
// this test shows when it fails (rows follow kRates; each row holds Vintage,
// Retro and Modern, each with Normal, Dark and Bright).
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "vx9testpack.h"

namespace {

constexpr float kRates[] = {44100.0f, 48000.0f, 96000.0f, 192000.0f, 44100.7f};
constexpr int kVoicings = 9; // mode * 3 + tone

// FNV-1a, 64 bits, over the bytes of the floats.
std::uint64_t Fnv1a(const std::vector<float>& audio)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const float x : audio) {
        unsigned char bytes[sizeof x];
        std::memcpy(bytes, &x, sizeof x);
        for (const unsigned char b : bytes)
            hash = (hash ^ b) * 0x100000001b3u;
    }
    return hash;
}

std::uint64_t RenderHash(float rate, std::uint32_t mode, std::uint32_t tone)
{
    // Short delays read the comb table's last columns, long ones its first;
    // Retro at 9 runs into the limiter.
    const double delay[] = {0.03, 0.11, 0.4};
    const double feedback[] = {7.0, 9.0, 8.0};
    VX9ControllerRig rig(rate);
    rig.voice(mode, tone, delay[tone], feedback[mode]);
    VX9TestMachine m(rate, 512);
    Deliver(rig.factory, m.t);
    EXPECT_EQ(m.setupResult.code, 0);
    EXPECT_EQ(m.reset().code, 0);

    const auto n = static_cast<std::size_t>(rate);
    std::vector<float> audio = TestNoise(n, 0.3f, mode * 3 + tone + 1);
    std::fill(audio.begin() + static_cast<std::ptrdiff_t>(n / 4), audio.end(), 0.0f);
    audio[n / 2 + 7] = 0.9f;
    const std::vector<float> first = m.run({audio.begin(), audio.begin() + n / 2});
    rig.ops().setDelayTime(2.0 - delay[tone]);
    m.t.coeffs.phase = rig.factory.coeffs().phase;
    std::vector<float> out = m.run({audio.begin() + n / 2, audio.end()}, 333);
    out.insert(out.begin(), first.begin(), first.end());
    return Fnv1a(out);
}

constexpr std::uint64_t kPinned[std::size(kRates)][kVoicings] = {
    {0x48a1c0074383aa7eu, 0x987b3f0332cb2b6cu, 0x791d1faa758887d2u, 0x2b50dac2ff1510cfu,
     0x7f5375e86697c215u, 0xe8b53ef0e961ffe0u, 0xc179e64420730938u, 0x665d3efa98c3802cu,
     0x0a0176ab484c212fu},
    {0xe9ccb49c462b7e23u, 0x668b58e8774dfcafu, 0x424f610089efc370u, 0xdf811e415c4b0928u,
     0xfdc0e54c4c5fe782u, 0xc331b4447350f70eu, 0x59c95c7af4f3d1c5u, 0xa23d4bc746ba584fu,
     0xf83b8efb67f8e3b2u},
    {0xa5101bb97b17f785u, 0x67e709a6f018d0f9u, 0xc99d190304ec79aeu, 0x7ba55641a6d27ddfu,
     0xdf38f575aadc82dbu, 0xdc6292ca45c3e50du, 0x383225921073b0d3u, 0x950d889142f943b3u,
     0x0bd37f5342fbf2e8u},
    {0xc22abaee13ff193du, 0xc20d5b14138cd4edu, 0x569757d8b73374abu, 0xf514c4fb5eca96aau,
     0xdb5dc39b4099687du, 0xc06687a2cd563a84u, 0xb7cea3eeca442210u, 0xacf74cde4f02c389u,
     0x28aabdc04fc45690u},
    {0x0320d88dfd348572u, 0xc0f3251b3c0c8006u, 0x94d147478ee70dc0u, 0xc38bee5bb89c5a70u,
     0x20cfea34aa05ed1eu, 0xf74c49b4fd8680bbu, 0x25def195cd3542edu, 0xe23a3e48094f9537u,
     0xfd8154791fe267b9u}};

// Both tables as text, so that a failure shows the new one ready to paste.
std::string TableText(const std::uint64_t (&hashes)[std::size(kRates)][kVoicings])
{
    std::string text;
    for (const auto& row : hashes) {
        text += text.empty() ? "    {" : ",\n    {";
        for (const std::uint64_t& hash : row) {
            char word[24];
            std::snprintf(word, sizeof word, "0x%016" PRIx64 "u", hash);
            text += (&hash == row ? "" : ", ") + std::string(word);
        }
        text += "}";
    }
    return text + "};\n";
}

TEST(VX9BitExact, RenderedAudioMatchesThePinnedHashes)
{
#if !defined(__GLIBC__) || !defined(__x86_64__)
    GTEST_SKIP() << "pinned on x86-64 with glibc; other math libraries round sin, cos, exp and "
                    "pow differently in the last place";
#endif
    std::uint64_t hashes[std::size(kRates)][kVoicings];
    for (std::size_t r = 0; r < std::size(kRates); ++r)
        for (int v = 0; v < kVoicings; ++v)
            hashes[r][v] = RenderHash(kRates[r], v / 3, v % 3);
    EXPECT_EQ(TableText(hashes), TableText(kPinned)) << "the audio changed";
}

} // namespace
