// Process must not allocate: every operator new of this program is counted.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "vx9testpack.h"

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

// Some runtimes (the sanitizers') do not route the array forms through the
// scalar ones.
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

TEST(VX9Process, AllocatesNothing)
{
    VX9TestMachine m(44100.0f, 512);
    ASSERT_EQ(m.setupResult.code, 0);
    VoiceFromController(m.t, 44100.0f, kRetro, kNormal, 0.25, 9.0);
    ASSERT_EQ(m.reset().code, 0);
    std::vector<float> audio(512, 0.25f);

    const long before = allocations.load();
    for (int block = 0; block < 50; ++block)
        m.block(audio.data(), audio.data(), 512);
    EXPECT_EQ(allocations.load() - before, 0);

    // The counter works: a set-up allocates.
    ASSERT_EQ(m.algorithm->Setup(HuxSetup{0.0, 44100.0f}).code, 0);
    EXPECT_GT(allocations.load() - before, 0);
}

} // namespace
