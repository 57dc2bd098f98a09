// Pins the rendered audio bit for bit, on Linux and in the Windows build
// under Wine alike. Every mode and tone at the four common host rates (and
// one rate that is not a whole number, where the controller's
// single-precision products matter) renders noise (with a NaN and an
// infinity in it), silence and an impulse through the real controller's
// coefficients, with a delay change half-way that glides the head across the
// comb table. Each output is hashed.
//
// A change meant only to make things faster must leave every hash as it is.
// A change meant to alter the sound must replace the table below with the one
// this test shows when it fails (rows follow kRates; each row holds Vintage,
// Retro and Modern, each with Normal, Dark and Bright).
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/vx9testpack.h"

namespace {

constexpr float kRates[] = {44100.0f, 48000.0f, 96000.0f, 192000.0f, 44100.7f};
constexpr int kVoicings = 9; // mode * 3 + tone

// FNV-1a, 64 bits, over the bytes of the floats.
std::uint64_t Fnv1a(const std::vector<float>& audio)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    const auto* bytes = reinterpret_cast<const unsigned char*>(audio.data());
    for (std::size_t i = 0; i < audio.size() * sizeof(float); ++i)
        hash = (hash ^ bytes[i]) * 0x100000001b3u;
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
    // A host's stray non-finite samples: what the clamps make of them is
    // part of the sound.
    audio[n / 8] = std::nanf("");
    audio[n / 8 + 100] = INFINITY;
    const std::vector<float> first = m.run({audio.begin(), audio.begin() + n / 2});
    rig.ops().setDelayTime(2.0 - delay[tone]);
    m.t.coeffs.phase = rig.factory.coeffs().phase;
    std::vector<float> out = m.run({audio.begin() + n / 2, audio.end()}, 333);
    out.insert(out.begin(), first.begin(), first.end());
    return Fnv1a(out);
}

constexpr std::uint64_t kPinned[std::size(kRates)][kVoicings] = {
    {0xddcf0c3c6c388479u, 0xdcfe86e85d2f218au, 0x5ee0d86f2034d0deu, 0xae738c456dd51699u,
     0x28cdc11dc39926b4u, 0x7a00ce65ac43638au, 0x04053857c67c82c8u, 0x41881b64222429c6u,
     0x764f221030c2751bu},
    {0xfb13d21198aa9f4cu, 0x91babc2a89d95e34u, 0x7718053cc1986b0cu, 0x39fd40bef5650090u,
     0x152fed6a322c1d32u, 0x093d6dac2d8f1aeeu, 0xa57b27ee81f76610u, 0x77fd5ae67a54403eu,
     0xa31b0956d238a002u},
    {0x2753642c4ef8ef0cu, 0x928ab55b1b8f7770u, 0x62a254e0486b649cu, 0x7d0fcc211286fe5au,
     0x403b283e0892377du, 0x95f8d153a4c45060u, 0x56a6b79d02cce25fu, 0x28ba4eb78e4263beu,
     0xc33a8e4183ec9bbfu},
    {0x513ee5d65ce3a752u, 0x7b098a8b9f02697du, 0x7d419fa530c7eddbu, 0xf56ed8a60c657679u,
     0xbffde7274d45a104u, 0x62edae062358e3bdu, 0x69c40474701a0b25u, 0x399315e22b660477u,
     0x62d906b801083578u},
    {0x5bc01400794c72bau, 0x6755d49a73fa102du, 0x9714503fff5217f4u, 0x187451a2e2da33ceu,
     0x61709f606e164490u, 0x15905d54ff9aede9u, 0x2cad11f76ff3afedu, 0x353971b97056af01u,
     0x1e812557e87b746du}};

// Both tables as text, so that a failure shows the new one ready to paste.
std::string TableText(const std::uint64_t (&hashes)[std::size(kRates)][kVoicings])
{
    std::string text;
    char word[32];
    for (const auto& row : hashes)
        for (int v = 0; v < kVoicings; ++v) {
            std::snprintf(word, sizeof word, "%s0x%016" PRIx64 "u%s", v == 0 ? "    {" : " ",
                          row[v], v + 1 < kVoicings ? "," : "},\n");
            text += word;
        }
    return text;
}

TEST(VX9BitExact, RenderedAudioMatchesThePinnedHashes)
{
    std::uint64_t hashes[std::size(kRates)][kVoicings];
    for (std::size_t r = 0; r < std::size(kRates); ++r)
        for (int v = 0; v < kVoicings; ++v)
            hashes[r][v] = RenderHash(kRates[r], v / 3, v % 3);
    EXPECT_EQ(TableText(hashes), TableText(kPinned)) << "the audio changed";
}

} // namespace
