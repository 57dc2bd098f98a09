// libFuzzer target: the LV2 adapter loaded from the built bundle and driven
// as a careless but rule-abiding host might drive it.
//
// The bytes choose the rate, whether the host offers its features and which
// longest block it names, then a list of operations: connecting any port
// (the transport also to nothing, the audio ports in place or apart),
// control values of any float (NaN and infinities included), activate,
// deactivate, runs of 0 to the longest block with audio that may hold
// non-finite samples, and arbitrary atom sequences on the transport port:
// well-formed tempo objects, wrong types and units, malformed objects and
// sizes far beyond what follows, always within the port's buffer. Runs come
// only between activate and deactivate and with every required port
// connected, as the LV2 rules demand. A crash, a sanitizer report, a leak or
// a non-finite output sample or output control is a finding.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/time/time.h>

#include "fuzz/anyvalue.h"
#include "host/product/rates.h"
#include "host/runtime/plugininstance.h"
#include "lv2/hostfeatures.h"
#include "tests/support/lv2rig.h"

namespace {

constexpr double kRates[] = {44100.0, 48000.0, 96000.0, 11025.0, 204000.0, 8000.0, 0.0, -1.0};
constexpr std::size_t kTransportBytes = 1024;

// The adapter and the plug-in library it loads stay loaded for the whole
// run: libFuzzer keeps counting coverage in an instrumented library, so
// each instance's own load must never be its last.
struct Bundle {
    Bundle() : ports(BundlePorts(DescribeLibrary(library))) {}
    Lv2Module module;
    PluginLibrary library{std::string(TAPEDELAY_LV2_BUNDLE) + "/" + PluginLibrary::fileName()};
    std::vector<BundlePort> ports;
};

Bundle& Loaded()
{
    static Bundle bundle;
    return bundle;
}

// An atom sequence in the transport buffer, written field by field.
class SequenceWriter {
public:
    SequenceWriter(FuzzedDataProvider& in, Lv2Host& host) : in(in), host(host) {}

    // Fills `buffer` (kTransportBytes): the atom header, whose size never
    // claims more than the buffer holds, then the events.
    void write(std::uint8_t* buffer)
    {
        bytes.clear();
        put32(pickUrid(LV2_ATOM__Sequence));
        put32(in.ConsumeBool() ? 0 : pickUrid(LV2_ATOM__beatTime)); // unit
        put32(0);                                                   // pad
        const int events = in.ConsumeIntegralInRange(0, 40);
        for (int i = 0; i < events && in.remaining_bytes() > 0; ++i)
            event();
        const std::size_t room = kTransportBytes - sizeof(LV2_Atom);
        bytes.resize(std::min(bytes.size(), room));
        const auto written = static_cast<std::uint32_t>(bytes.size() - 4); // after the type
        const std::uint32_t size =
            in.ConsumeBool()
                ? written
                : in.ConsumeIntegralInRange<std::uint32_t>(0, static_cast<std::uint32_t>(room));
        std::memset(buffer, 0, kTransportBytes);
        std::memcpy(buffer, &size, sizeof size);
        std::memcpy(buffer + 4, bytes.data(), bytes.size());
    }

private:
    template <class T>
    void put(T v)
    {
        const auto* raw = reinterpret_cast<const std::uint8_t*>(&v);
        bytes.insert(bytes.end(), raw, raw + sizeof v);
    }
    void put32(std::uint32_t v) { put(v); }

    // Writes at `sizeAt` the size of what follows `from`, or an arbitrary
    // one, then pads to the next atom.
    void close(std::size_t sizeAt, std::size_t from)
    {
        auto size = static_cast<std::uint32_t>(bytes.size() - from);
        if (in.ConsumeIntegralInRange(0, 5) == 0)
            size = in.ConsumeIntegral<std::uint32_t>();
        std::memcpy(bytes.data() + sizeAt, &size, sizeof size);
        while ((bytes.size() + 4) % 8 != 0) // the atom header's size field comes first
            bytes.push_back(0);
    }

    // Mostly the expected URID, sometimes another one.
    std::uint32_t pickUrid(const char* uri)
    {
        return in.ConsumeIntegralInRange(0, 7) != 0
                   ? host.urid(uri)
                   : in.ConsumeIntegralInRange<std::uint32_t>(0, 40);
    }

    // An event: its frame, then an object whose size is true or arbitrary.
    void event()
    {
        put(in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int64_t>(-2, 5000)
                             : in.ConsumeIntegral<std::int64_t>());
        const std::size_t sizeAt = bytes.size();
        put32(0);
        put32(in.ConsumeBool() ? pickUrid(LV2_ATOM__Object) : host.urid(LV2_ATOM__Blank));
        const std::size_t bodyAt = bytes.size();
        put32(in.ConsumeIntegral<std::uint8_t>()); // object id
        put32(pickUrid(LV2_TIME__Position));
        const int properties = in.ConsumeIntegralInRange(0, 4);
        for (int p = 0; p < properties; ++p)
            property();
        close(sizeAt, bodyAt);
    }

    // A tempo (or another key) of any numeric type, or one with a wrong size.
    void property()
    {
        put32(pickUrid(LV2_TIME__beatsPerMinute));
        put32(0); // context
        const char* types[] = {LV2_ATOM__Float, LV2_ATOM__Double, LV2_ATOM__Int, LV2_ATOM__Long,
                               LV2_ATOM__String};
        const char* type = in.PickValueInArray(types);
        const std::size_t sizeAt = bytes.size();
        put32(0);
        put32(pickUrid(type));
        const std::size_t valueAt = bytes.size();
        if (type == types[0])
            put(AnyValue<float>(in));
        else if (type == types[1])
            put(AnyValue<float>(in) * in.ConsumeFloatingPointInRange(-2.0, 2.0));
        else if (type == types[2])
            put(in.ConsumeIntegral<std::int32_t>());
        else
            put(in.ConsumeIntegral<std::int64_t>());
        close(sizeAt, valueAt);
    }

    FuzzedDataProvider& in;
    Lv2Host& host;
    std::vector<std::uint8_t> bytes; // the sequence from its type on
};

class Driver {
public:
    explicit Driver(FuzzedDataProvider& in)
        : bundle(Loaded()),
          descriptor(bundle.module.descriptor),
          named(in.ConsumeBool() ? in.ConsumeIntegral<std::int32_t>()
                                 : in.ConsumeIntegralInRange<std::int32_t>(1, 4096)),
          host(named),
          controls(bundle.ports.size(), 0.0f),
          connected(bundle.ports.size(), false),
          transport(kTransportBytes / 8, 0)
    {
        const double rate = in.ConsumeBool() ? in.PickValueInArray(kRates) : AnyValue<float>(in);
        const bool offer = in.ConsumeIntegralInRange(0, 7) != 0;
        const std::vector<const LV2_Feature*> features = host.features(offer);
        instance = descriptor->instantiate(descriptor, rate, TAPEDELAY_LV2_BUNDLE, features.data());
        Require((instance != nullptr) == SupportedRate(rate));
        // The longest run the host promised, or one it never exceeds.
        const auto promised = static_cast<std::uint32_t>(named);
        longest = offer && named >= 1 && promised <= kLargestMaxBlock
                      ? std::min(promised, kLongestUnnamed)
                      : kLongestUnnamed;
        input.resize(longest);
        output.resize(longest);
    }

    ~Driver()
    {
        if (instance == nullptr)
            return;
        activate(false);
        descriptor->cleanup(instance);
    }

    bool started() const { return instance != nullptr; }

    void operate(FuzzedDataProvider& in)
    {
        switch (in.ConsumeIntegralInRange(0, 6)) {
        case 0: connect(in); break;
        case 1: setControl(in); break;
        case 2: activate(true); break;
        case 3: activate(false); break;
        case 4:
            SequenceWriter(in, host).write(reinterpret_cast<std::uint8_t*>(transport.data()));
            break;
        default: run(in); break;
        }
    }

private:
    static constexpr std::uint32_t kLongestUnnamed = 4096;

    // Only a change of state is called, as the LV2 rules demand.
    void activate(bool on)
    {
        if (on != active)
            (on ? descriptor->activate : descriptor->deactivate)(instance);
        active = on;
    }

    void connect(FuzzedDataProvider& in)
    {
        const auto port = in.ConsumeIntegralInRange<std::uint32_t>(
            0, static_cast<std::uint32_t>(controls.size() - 1));
        void* data = &controls[port];
        switch (bundle.ports[port].role) {
        case PortRole::audioIn: data = input.data(); break;
        case PortRole::audioOut: data = in.ConsumeBool() ? output.data() : input.data(); break;
        case PortRole::transport: data = in.ConsumeBool() ? transport.data() : nullptr; break;
        default: break;
        }
        descriptor->connect_port(instance, port, data);
        connected[port] = true;
        if (port == kAudioOutPort)
            inPlace = data == input.data();
    }

    // Any value into an input control (the plug-in's parameters, enabled,
    // tap); output controls are the adapter's to write.
    void setControl(FuzzedDataProvider& in)
    {
        const std::size_t port = in.ConsumeIntegralInRange<std::size_t>(0, controls.size() - 1);
        if (!isOutput(bundle.ports[port].role))
            controls[port] = AnyValue<float>(in);
    }

    static bool isOutput(PortRole role)
    {
        return role == PortRole::meter || role == PortRole::parameterOut;
    }

    void run(FuzzedDataProvider& in)
    {
        const bool ready =
            std::all_of(connected.begin(), connected.end(), [](bool c) { return c; });
        if (!active || !ready || frames >= kFramesPerInput)
            return;
        const std::uint32_t n = in.ConsumeIntegralInRange<std::uint32_t>(0, longest);
        const float level = AnyLevel(in);
        // Non-finite input reaches the plug-in as silence; huge finite input
        // would overflow the output gain, so the run's loud samples are capped.
        for (std::uint32_t i = 0; i < n; ++i) {
            const float x =
                in.ConsumeIntegralInRange(0, 63) == 0 ? AnyValue<float>(in) : AnySample(in, level);
            input[i] = std::isfinite(x) && std::fabs(x) > 0x1p20f ? std::copysign(0x1p20f, x) : x;
        }
        // Every run writes every output control; a stale one stays NaN.
        for (std::size_t p = 0; p < bundle.ports.size(); ++p)
            if (isOutput(bundle.ports[p].role))
                controls[p] = std::numeric_limits<float>::quiet_NaN();
        descriptor->run(instance, n);
        RequireFinite<float>(inPlace ? input.data() : output.data(), n);
        for (std::size_t p = 0; p < bundle.ports.size(); ++p)
            if (isOutput(bundle.ports[p].role))
                Require(std::isfinite(controls[p]));
        frames += n;
    }

    Bundle& bundle;
    const LV2_Descriptor* descriptor;
    std::int32_t named; // the longest block in the host's options (offered when positive)
    Lv2Host host;
    LV2_Handle instance = nullptr;
    std::vector<float> controls;
    std::vector<bool> connected;
    std::vector<std::uint64_t> transport; // 8-byte aligned, as atoms are
    std::vector<float> input;
    std::vector<float> output;
    std::uint32_t longest = 0;
    bool active = false;
    bool inPlace = false;
    std::uint64_t frames = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    Driver driver(in);
    if (!driver.started())
        return 0;
    while (in.remaining_bytes() > 0)
        driver.operate(in);
    return 0;
}
