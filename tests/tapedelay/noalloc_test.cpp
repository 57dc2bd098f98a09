// Process must not allocate: every operator new of this program is counted.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "tapedelay/source/vx9algorithm.h"
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
    std::unique_ptr<VX9Algorithm> algorithm(new VX9Algorithm());
    VX9TestPack t(512);
    HuxSetup setup;
    setup.sampleRate = 44100.0f;
    ASSERT_EQ(algorithm->Setup(setup).code, 0);
    SetRetroVoicing(t, 44100.0, algorithm->tapeLength, 10000.0, 1.2);
    ASSERT_EQ(algorithm->Reset(t.handle()).code, 0);
    std::vector<float> audio(512, 0.25f);
    float* channel = audio.data();
    float meters[2] = {};
    const HuxProcessCallback callback = algorithm->GetProcessCallback();

    const long before = allocations.load();
    for (int block = 0; block < 50; ++block)
        callback.function(callback.context, 0, 512, 0, &channel, 0, &channel, t.handle(), meters);
    const long during = allocations.load() - before;

    EXPECT_EQ(during, 0);
    // The counter works: a set-up allocates.
    ASSERT_EQ(algorithm->Setup(setup).code, 0);
    EXPECT_GT(allocations.load() - before, 0);
}

} // namespace
