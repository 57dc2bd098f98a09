// run must not allocate, whatever the host does between runs: every
// operator new of this program, the adapter's and the plug-in's included,
// is counted.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "lv2rig.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return ::operator new(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

TEST(Lv2Run, AllocatesNothingAtAnyLengthOrChange)
{
    constexpr std::uint32_t kMax = 1024;
    Lv2Module module;
    Lv2Host host(kMax);
    Lv2Plugin plugin(module, host, 48000.0);
    ASSERT_TRUE(plugin.started());
    TempoSequence transport(host);
    transport.add(0, 100.0f);
    transport.add(17, 133.0f);
    plugin.connect("control", transport.data());
    std::vector<float> audio(kMax, 0.25f);
    audio[3] = std::nanf("");
    plugin.control("nval") = 4.0f;
    plugin.control("tlok") = 1.0f;
    plugin.control("fbak") = 7.0f;

    const long before = allocations.load();
    plugin.activate();
    for (std::uint32_t frames = 1; frames <= kMax; frames += frames / 3 + 1) {
        plugin.control("fbak") = 1.0f + static_cast<float>(frames % 9);
        plugin.control("tap") = frames % 2 == 0 ? 1.0f : 0.0f;
        plugin.control("enabled") = frames % 5 == 0 ? 0.0f : 1.0f;
        plugin.control("dot3") = static_cast<float>(frames % 3);
        plugin.control("mode") = static_cast<float>(frames % 3);
        plugin.run(audio.data(), audio.data(), frames);
    }
    plugin.control("nval") = 0.0f; // back to free time
    plugin.run(audio.data(), audio.data(), kMax);
    plugin.deactivate();
    plugin.activate();
    plugin.run(audio.data(), audio.data(), kMax);
    EXPECT_EQ(allocations.load() - before, 0);
}

} // namespace
