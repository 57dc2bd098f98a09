// libFuzzer target: the plug-in library loaded as the reference host loads
// it and driven through its two exports only, with the host's own objects
// (parameter service, coefficient blocks, description reader), in orders a
// hostile or careless host might choose.
//
// The bytes are read as a list of operations. Outside a running instance:
// acquiring objects by any name, releasing them in any order, releasing
// twice or releasing pointers the library never handed out, and
// description exchanges with any channel count. Inside one (wired at any
// rate, with the plain or a batched kernel): parameter changes with any
// value, dispatches, taps, named messages of arbitrary bytes, session
// tempos, update, state round trips, resets, repeated set-ups and blocks of
// 0 to the longest size with loud, clipped or silent audio. A crash, a
// sanitizer report, a leak, a contract fault seen by the coefficient blocks
// or a non-finite output sample or meter is a finding.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "host/product/rates.h"
#include "host/runtime/coeffblocks.h"
#include "host/runtime/parameterservice.h"
#include "host/runtime/plugindescription.h"
#include "host/runtime/plugininstance.h"
#include "host/runtime/pluginlibrary.h"
#include "tapedelay/source/kernel/vx9kernel.h"

namespace {

constexpr const char* kNames[] = {"IIHux::Plugin", "IIHux::AlgorithmController",
                                  "IIHux::Algorithm"};
constexpr const char* kKernels[] = {"plain", "baseline", "avx2", "avx512"};
constexpr double kRates[] = {11025.0,  22050.0, 44100.0,  48000.0,  51000.9,
                             51001.0,  96000.0, 102000.0, 176400.0, 204000.0,
                             204001.0, 11024.0, 0.0,      -48000.0, 1e12};
constexpr std::uint32_t kLongestBlock = 2048;
// Bounds the work of one input, so that no input runs for long.
constexpr std::uint64_t kFramesPerInput = 1u << 17;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

PluginLibrary& Library()
{
    static PluginLibrary library(TAPEDELAY_PLUGIN_FILE);
    return library;
}

struct DiscardingSink final : MessageSink {
    void exchange(const Missive&) override {}
};

struct KeepingSink final : ByteSink {
    void store(const std::uint8_t* bytes, std::size_t length) override
    {
        kept.assign(bytes, bytes + length);
    }
    std::vector<std::uint8_t> kept;
};

// Any double: the edges, a list index just off or beyond its options, or
// raw bits.
double AnyValue(FuzzedDataProvider& in)
{
    constexpr double kEdges[] = {std::numeric_limits<double>::quiet_NaN(),
                                 std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity(),
                                 std::numeric_limits<double>::max(),
                                 -std::numeric_limits<double>::max(),
                                 std::numeric_limits<double>::denorm_min(),
                                 -1.0,
                                 0.0,
                                 1e-300,
                                 4294967296.0};
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return in.PickValueInArray(kEdges);
    case 1: return in.ConsumeIntegralInRange(-3, 12) + in.ConsumeProbability<double>();
    case 2: return in.ConsumeFloatingPointInRange(-10.0, 600.0);
    default: {
        const auto bits = in.ConsumeIntegral<std::uint64_t>();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    }
}

void SetKernel(FuzzedDataProvider& in)
{
    setenv(kVX9KernelVariable, in.PickValueInArray(kKernels), 1);
}

void Exchange(IIHux::Plugin& plugin, std::uint32_t channels)
{
    DiscardingSink sink;
    plugin.exchangeDescriptor(sink);
    try {
        plugin.exchangeParameters(sink, channels);
        Require(channels == 1);
    } catch (const KtException&) {
        Require(channels != 1); // "too many channels"
    }
}

// One instance wired as the contract orders, at a rate that may be refused.
class Rig {
public:
    Rig(double rate, std::uint32_t longest)
        : plugin(Library(), kNames[0]),
          controller(Library(), kNames[1]),
          algorithm(Library(), kNames[2]),
          description(ExchangeDescriptions(*plugin)),
          parameters(description.parameters),
          setup{0.0, static_cast<float>(rate)},
          longest(longest),
          audio(longest)
    {
        try {
            Require(controller->Setup(setup, &blocks).code == 0);
        } catch (const std::exception&) {
            return; // the rate is refused: the objects are only released
        }
        parameters.attach(*plugin);
        plugin->initialise(&parameters, controller->GetControllerInterface(), nullptr);
        parameters.reportAll();
        plugin->query(120.0, 0.0, 0.0);
        parameters.dispatch();
        Require(algorithm->Setup(setup).code == 0);
        Require(blocks.preparePack(longest, 0.001).empty());
        reset();
    }

    // False once set-up failed: the instance takes no more calls but release.
    bool running() const { return ready; }

    void reset()
    {
        blocks.settle();
        Require(algorithm->Reset(blocks.handle()).code == 0);
        controller->Reset();
        callback = algorithm->GetProcessCallback();
        Require(callback.function != nullptr);
        ready = true;
    }

    // Set-up again, at the instance's rate (then a reset) or at one the
    // plug-in refuses (then it is stopped).
    void setUpAgain(FuzzedDataProvider& in)
    {
        SetKernel(in);
        if (in.ConsumeBool()) {
            Require(algorithm->Setup(setup).code == 0);
            reset();
        } else {
            Require(algorithm->Setup({0.0, -1.0f}).code != 0);
            ready = false;
        }
    }

    void operate(FuzzedDataProvider& in)
    {
        const std::size_t count = description.parameters.size();
        switch (in.ConsumeIntegralInRange(0, 11)) {
        case 0:
            parameters.change(in.ConsumeIntegralInRange<std::size_t>(0, count - 1), AnyValue(in));
            break;
        case 1:
            parameters.set(in.ConsumeIntegralInRange<std::size_t>(0, count - 1), AnyValue(in));
            break;
        case 2: parameters.dispatch(); break;
        case 3: tap(AnyValue(in)); break;
        case 4: message(in); break;
        case 5:
            plugin->query(AnyValue(in), AnyValue(in), AnyValue(in));
            parameters.dispatch();
            break;
        case 6: plugin->update(); break;
        case 7: state(in); break;
        case 8: Exchange(*plugin, in.ConsumeIntegral<std::uint32_t>()); break;
        case 9: reset(); break;
        case 10: setUpAgain(in); break;
        default: block(in); break;
        }
        Require(blocks.fault().empty());
    }

    std::uint64_t frames = 0; // processed so far

private:
    void tap(double bpm)
    {
        Missive tapped;
        tapped.put(kMissiveDefault, "BPMTapped");
        tapped.put("bpm", bpm);
        plugin->handleMessage(tapped);
    }

    // A message of arbitrary bytes, or a named one whose name and "bpm"
    // are arbitrary.
    void message(FuzzedDataProvider& in)
    {
        Missive message;
        if (in.ConsumeBool()) {
            const std::vector<std::uint8_t> bytes =
                in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 256));
            message.assign(bytes.data(), bytes.size());
        } else {
            message.put(kMissiveDefault, in.ConsumeRandomLengthString(16));
            message.put("bpm", in.ConsumeRandomLengthString(8));
        }
        try {
            plugin->handleMessage(message);
        } catch (const KtException&) {
            // A malformed message is refused with a failure report.
        }
    }

    void state(FuzzedDataProvider& in)
    {
        KeepingSink sink;
        Require(plugin->saveState(sink, in.ConsumeBool()).code == 0);
        if (in.ConsumeBool())
            sink.kept = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 64));
        try {
            plugin->restoreState(sink.kept.data(), sink.kept.size(), in.ConsumeBool());
        } catch (const KtException&) {
            // As for messages.
        }
    }

    void block(FuzzedDataProvider& in)
    {
        const std::uint32_t n = in.ConsumeIntegralInRange<std::uint32_t>(0, longest);
        fill(in, n);
        plugin->query(in.ConsumeFloatingPointInRange(5.0, 500.0), 0.0, 0.0);
        parameters.dispatch();
        blocks.beginBlock(n);
        const float* input = audio.data();
        float* output = audio.data();
        callback.function(callback.context, 0, n, 0, &input, 0, &output, blocks.handle(), meters);
        plugin->update();
        for (std::uint32_t i = 0; i < n; ++i)
            Require(std::isfinite(audio[i]));
        Require(std::isfinite(meters[0]) && std::isfinite(meters[1]));
        meters[0] = meters[1] = 0.0f;
        frames += n;
        parameters.setClock(static_cast<double>(frames) / setup.sampleRate);
    }

    // Finite audio, as the host hands it over: silence, a full-scale
    // square, or the bytes as samples at a level up to 2^20.
    void fill(FuzzedDataProvider& in, std::uint32_t n)
    {
        const int kind = in.ConsumeIntegralInRange(0, 2);
        const float level = std::ldexp(1.0f, in.ConsumeIntegralInRange(-8, 20));
        const std::uint32_t period = in.ConsumeIntegralInRange<std::uint32_t>(2, 400);
        for (std::uint32_t i = 0; i < n; ++i) {
            if (kind == 0)
                audio[i] = 0.0f;
            else if (kind == 1)
                audio[i] = (i % period) * 2 < period ? 1.0f : -1.0f;
            else
                audio[i] =
                    level * static_cast<float>(in.ConsumeIntegral<std::int16_t>()) / 32768.0f;
        }
    }

    HostCoeffBlockFactory blocks;
    HuxObject<IIHux::Plugin> plugin;
    HuxObject<IIHux::AlgorithmController> controller;
    HuxObject<IIHux::Algorithm> algorithm;
    PluginDescription description;
    ParameterService parameters;
    HuxSetup setup;
    std::uint32_t longest;
    std::vector<float> audio;
    HuxProcessCallback callback{};
    float meters[2] = {0.0f, 0.0f};
    bool ready = false;
};

// Objects acquired outside an instance, by the name they were asked for.
struct Acquired {
    void* object;
    int name; // index into kNames
};

class Session {
public:
    ~Session()
    {
        rig.reset();
        for (const Acquired& held : pool)
            Library().release(held.object);
    }

    void operate(FuzzedDataProvider& in)
    {
        switch (in.ConsumeIntegralInRange(0, 7)) {
        case 0: acquire(in); break;
        case 1: release(in); break;
        case 2: releaseForeign(in); break;
        case 3: exchange(in); break;
        case 4: wire(in); break;
        case 5: rig.reset(); break;
        default:
            if (rig && rig->running() && rig->frames < kFramesPerInput)
                rig->operate(in);
            break;
        }
    }

private:
    void acquire(FuzzedDataProvider& in)
    {
        if (in.ConsumeBool()) {
            const int name = in.ConsumeIntegralInRange(0, 2);
            pool.push_back({Library().acquire(kNames[name]), name});
            return;
        }
        // Names the library does not know give nothing. The name ends at
        // its first NUL, as the library reads it.
        std::string name = in.ConsumeRandomLengthString(32);
        name.resize(std::strlen(name.c_str()));
        bool known = false;
        for (const char* registered : kNames)
            known = known || name == registered;
        if (known)
            return;
        try {
            Library().acquire(name.c_str());
            Require(false);
        } catch (const PluginLoadError&) {
        }
    }

    void release(FuzzedDataProvider& in)
    {
        if (pool.empty())
            return;
        const std::size_t at = in.ConsumeIntegralInRange<std::size_t>(0, pool.size() - 1);
        Library().release(pool[at].object);
        released.push_back(pool[at].object);
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(at));
    }

    // A pointer released before (unless the address went to a new object),
    // null, or one the library never handed out: all must be ignored.
    void releaseForeign(FuzzedDataProvider& in)
    {
        int local = 0;
        void* pointer = nullptr;
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            if (!released.empty()) {
                pointer = released[in.ConsumeIntegralInRange<std::size_t>(0, released.size() - 1)];
                for (const Acquired& held : pool)
                    if (held.object == pointer)
                        return;
            }
            break;
        case 1: pointer = &local; break;
        case 2: pointer = &pool; break;
        default: break;
        }
        Library().release(pointer);
    }

    void exchange(FuzzedDataProvider& in)
    {
        for (const Acquired& held : pool)
            if (held.name == 0) {
                Exchange(*static_cast<IIHux::Plugin*>(held.object),
                         in.ConsumeIntegral<std::uint32_t>());
                return;
            }
    }

    void wire(FuzzedDataProvider& in)
    {
        rig.reset();
        const double rate =
            in.ConsumeBool() ? in.PickValueInArray(kRates) : in.ConsumeFloatingPoint<float>();
        SetKernel(in);
        rig =
            std::make_unique<Rig>(rate, in.ConsumeIntegralInRange<std::uint32_t>(1, kLongestBlock));
        Require(rig->running() == SupportedRate(rate));
    }

    std::vector<Acquired> pool;
    std::vector<void*> released;
    std::unique_ptr<Rig> rig;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    Session session;
    while (in.remaining_bytes() > 0)
        session.operate(in);
    return 0;
}
