// libFuzzer target: the plug-in library loaded as the reference host loads
// it and driven through its two exports only, with the host's own objects,
// in orders a hostile or careless host might choose.
//
// The bytes are read as a list of operations. Outside a running instance:
// acquiring objects by any name, releasing them in any order, releasing
// twice or releasing pointers the library never handed out, and
// description exchanges with any channel count. Inside one (a
// PluginInstance at any rate, with the plain or a batched kernel):
// parameter changes and starting values with any value, restarts, taps,
// session tempos and blocks of 0 to the longest size with loud, clipped or
// silent audio; and what PluginInstance does not do, straight to the wired
// objects: named messages of arbitrary bytes, state round trips, exchanges,
// and set-ups again at its rate or at one the plug-in refuses. A crash, a
// sanitizer report, a leak, a contract fault seen by the host or a
// non-finite output sample or meter is a finding.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/anyvalue.h"
#include "host/product/rates.h"
#include "host/product/tempo.h"
#include "host/runtime/plugininstance.h"
#include "tapedelay/source/kernel/vx9kernel.h"

namespace {

constexpr const char* kNames[] = {"IIHux::Plugin", "IIHux::AlgorithmController",
                                  "IIHux::Algorithm"};
constexpr const char* kKernels[] = {"plain", "baseline", "avx2", "avx512"};
constexpr double kRates[] = {11025.0,  22050.0, 44100.0,  48000.0,  51000.9,
                             51001.0,  96000.0, 102000.0, 176400.0, 204000.0,
                             204001.0, 11024.0, 0.0,      -48000.0, 1e12};
constexpr std::uint32_t kLongestBlock = 2048;

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

// A message of arbitrary bytes, or a named one whose name and "bpm" are
// arbitrary; a malformed one is refused with a failure report.
void Message(FuzzedDataProvider& in, IIHux::Plugin& plugin)
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
    Tolerate<KtException>([&] { plugin.handleMessage(message); });
}

// The saved state, or arbitrary bytes, restored; as for messages.
void State(FuzzedDataProvider& in, IIHux::Plugin& plugin)
{
    KeepingSink sink;
    Require(plugin.saveState(sink, in.ConsumeBool()).code == 0);
    if (in.ConsumeBool())
        sink.kept = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 64));
    const bool flag = in.ConsumeBool();
    Tolerate<KtException>([&] { plugin.restoreState(sink.kept.data(), sink.kept.size(), flag); });
}

// One running instance; false once it must only be released.
class Running {
public:
    Running(double rate, std::uint32_t longest)
        : rate(rate),
          audio(longest),
          instance(Library(), {rate, longest, kDefaultSessionTempo})
    {
        instance.start({});
    }

    bool operate(FuzzedDataProvider& in)
    {
        const std::size_t last = instance.parameterCount() - 1;
        switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0:
            instance.change(in.ConsumeIntegralInRange<std::size_t>(0, last), AnyValue<double>(in));
            break;
        case 1: {
            const StartingValue value{in.ConsumeIntegralInRange<std::size_t>(0, last),
                                      AnyValue<double>(in)};
            instance.start({&value, 1});
            break;
        }
        case 2: instance.start({}); break;
        case 3: TapTempo(instance, AnyValue<double>(in)); break;
        case 4: instance.setSessionTempo(AnyValue<double>(in)); break;
        case 5: Message(in, instance.pluginObject()); break;
        case 6: State(in, instance.pluginObject()); break;
        case 7: Exchange(instance.pluginObject(), in.ConsumeIntegral<std::uint32_t>()); break;
        case 8: return setUpAgain(in);
        default: block(in); break;
        }
        return frames < kFramesPerInput;
    }

private:
    // At the instance's rate, then a restart; or at one the plug-in refuses,
    // which stops the instance.
    bool setUpAgain(FuzzedDataProvider& in)
    {
        SetKernel(in);
        IIHux::Algorithm& algorithm = instance.algorithmObject();
        if (!in.ConsumeBool()) {
            Require(algorithm.Setup({0.0, -1.0f}).code != 0);
            return false;
        }
        Require(algorithm.Setup({0.0, static_cast<float>(rate)}).code == 0);
        instance.start({});
        return true;
    }

    // Finite audio, as the host hands it over: silence, a full-scale square,
    // or the bytes as samples at a level up to 2^20.
    void block(FuzzedDataProvider& in)
    {
        const auto n =
            in.ConsumeIntegralInRange<std::uint32_t>(0, static_cast<std::uint32_t>(audio.size()));
        const int kind = in.ConsumeIntegralInRange(0, 2);
        const float level = AnyLevel(in);
        const std::uint32_t period = in.ConsumeIntegralInRange<std::uint32_t>(2, 400);
        for (std::uint32_t i = 0; i < n; ++i)
            audio[i] = kind == 0   ? 0.0f
                       : kind == 1 ? ((i % period) * 2 < period ? 1.0f : -1.0f)
                                   : AnySample(in, level);
        instance.process(audio.data(), audio.data(), n);
        RequireFinite<float>(audio.data(), n);
        Require(std::isfinite(instance.inputMeter()) && std::isfinite(instance.outputMeter()));
        frames += n;
    }

    double rate;
    std::vector<float> audio;
    PluginInstance instance;
    std::uint64_t frames = 0;
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
        running.reset();
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
        case 5: running.reset(); break;
        default:
            if (running && !running->operate(in))
                running.reset();
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
        if (std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames))
            return;
        Tolerate<PluginLoadError>([&] {
            Library().acquire(name.c_str());
            Require(false);
        });
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
            if (!released.empty())
                pointer = released[in.ConsumeIntegralInRange<std::size_t>(0, released.size() - 1)];
            if (std::any_of(pool.begin(), pool.end(),
                            [&](const Acquired& held) { return held.object == pointer; }))
                return;
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

    // A refused rate throws from the instance's set-up, its objects released.
    void wire(FuzzedDataProvider& in)
    {
        running.reset();
        const double rate =
            in.ConsumeBool() ? in.PickValueInArray(kRates) : in.ConsumeFloatingPoint<float>();
        SetKernel(in);
        const auto longest = in.ConsumeIntegralInRange<std::uint32_t>(1, kLongestBlock);
        try {
            running = std::make_unique<Running>(rate, longest);
            Require(SupportedRate(rate));
        } catch (const std::exception&) {
            Require(!SupportedRate(rate));
        }
    }

    std::vector<Acquired> pool;
    std::vector<void*> released;
    std::unique_ptr<Running> running;
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
