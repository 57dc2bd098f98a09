// libFuzzer target: the CLAP plug-in, made as its factory makes it and
// driven through the CLAP functions as a careless host might drive them.
//
// The bytes choose mono or stereo, then a list of operations: activation
// at any rate and longest block, deactivation and reset; blocks of 0 to the
// longest block with parameter values (known IDs or any, any value, NaN and
// infinities included) and transports (any tempo) at ordered frames, and a
// block transport or none; flushes with such events, active or not; states
// of arbitrary bytes and well-formed states of any codes and values; the
// values, texts and value texts of any ID. A crash, a sanitizer report, a
// leak, a non-finite output sample, an output value outside its
// parameter's range, a text read to a value its parameter cannot take, or a
// state that does not read back as written is a finding.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/anyvalue.h"
#include "host/product/rates.h"
#include "tests/support/claprig.h"

namespace {

constexpr double kRates[] = {44100.0, 48000.0, 96000.0, 11025.0, 204000.0, 8000.0, 0.0};

// The plug-in library stays loaded for the whole run: libFuzzer keeps
// counting coverage in an instrumented library.
std::shared_ptr<ClapModule> Module()
{
    static const std::shared_ptr<ClapModule> module =
        std::make_shared<ClapModule>(TAPEDELAY_PLUGIN_FILE);
    return module;
}

class Driver {
public:
    explicit Driver(std::uint32_t channels)
        : rig(channels, Module()),
          audio(channels, std::vector<float>(kLongest))
    {
        for (std::uint32_t i = 0; i < rig.params->count(rig.plugin); ++i) {
            clap_param_info_t info{};
            Require(rig.params->get_info(rig.plugin, i, &info));
            parameters.push_back(info);
        }
    }

    // One operation; false when the input's work is used up.
    bool operate(FuzzedDataProvider& in)
    {
        switch (in.ConsumeIntegralInRange(0, 8)) {
        case 0: activate(in); break;
        case 1:
            rig.plugin->deactivate(rig.plugin);
            active = false;
            break;
        case 2:
            if (active)
                rig.plugin->reset(rig.plugin);
            break;
        case 3: return block(in);
        case 4:
            events(in, 0);
            rig.flush();
            outputsInRange();
            break;
        case 5: rig.load(in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 300))); break;
        case 6: Require(rig.load(WriteEffectState(AnyState(in, [&] { return anyId(in); })))); break;
        case 7: stateReadsBack(); break;
        default: values(in); break;
        }
        return true;
    }

private:
    static constexpr std::uint32_t kLongest = 2048;

    clap_id anyId(FuzzedDataProvider& in)
    {
        if (in.ConsumeIntegralInRange(0, 7) == 0)
            return in.ConsumeIntegral<clap_id>();
        return parameters[in.ConsumeIntegralInRange<std::size_t>(0, parameters.size() - 1)].id;
    }

    const clap_param_info_t* find(clap_id id) const
    {
        for (const clap_param_info_t& info : parameters)
            if (info.id == id)
                return &info;
        return nullptr;
    }

    void activate(FuzzedDataProvider& in)
    {
        const double rate = in.PickValueInArray(kRates);
        longest = in.ConsumeIntegralInRange<std::uint32_t>(1, kLongest);
        if (active)
            return;
        active = rig.activate(rate, longest);
        Require(active == SupportedRate(rate));
    }

    // Parameter values and transports at ordered frames below `frames`.
    void events(FuzzedDataProvider& in, std::uint32_t frames)
    {
        std::uint32_t frame = 0;
        for (int n = in.ConsumeIntegralInRange(0, 12); n > 0; --n) {
            frame = in.ConsumeIntegralInRange(frame, std::max(frame, frames) - (frames > 0));
            if (in.ConsumeIntegralInRange(0, 5) == 0)
                rig.tempoAt(AnyValue<double>(in), frame);
            else
                rig.change(anyId(in), AnyValue<double>(in), frame);
        }
    }

    bool block(FuzzedDataProvider& in)
    {
        const std::uint32_t frames = in.ConsumeIntegralInRange<std::uint32_t>(0, longest);
        work += frames + 1;
        events(in, frames);
        const float level = AnyLevel(in);
        for (std::vector<float>& channel : audio)
            for (std::uint32_t i = 0; i < frames; ++i)
                channel[i] = AnySample(in, level);
        clap_event_transport_t transport{};
        transport.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_IS_PLAYING;
        transport.tempo = AnyValue<double>(in);
        const bool withTransport = in.ConsumeBool();
        const clap_process_status status =
            rig.process(audio, 0, frames, withTransport ? &transport : nullptr);
        Require(status == (active ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR));
        if (active) {
            for (const std::vector<float>& channel : audio)
                RequireFinite<float>(channel.data(), frames);
            outputsInRange();
        }
        return work < kFramesPerInput;
    }

    void outputsInRange() const
    {
        for (const clap_event_param_value_t& event : rig.outputs) {
            const clap_param_info_t* info = find(event.param_id);
            Require(info != nullptr && event.value >= info->min_value &&
                    event.value <= info->max_value);
        }
    }

    // What the plug-in saves, it takes back and saves again unchanged.
    void stateReadsBack()
    {
        const std::vector<std::uint8_t> first = rig.saved();
        Require(!first.empty() && rig.load(first));
        Require(rig.saved() == first);
    }

    // A value read, shown, and a text read: within the range when read.
    void values(FuzzedDataProvider& in)
    {
        const clap_id id = anyId(in);
        const clap_param_info_t* info = find(id);
        double value = std::nan("");
        Require(rig.params->get_value(rig.plugin, id, &value) == (info != nullptr));
        if (info != nullptr)
            Require(value >= info->min_value && value <= info->max_value);
        char shown[CLAP_NAME_SIZE] = {};
        rig.params->value_to_text(rig.plugin, id, AnyValue<double>(in), shown,
                                  in.ConsumeIntegralInRange<std::uint32_t>(0, sizeof shown));
        const std::string text = in.ConsumeRandomLengthString(40);
        double read = 0.0;
        if (rig.params->text_to_value(rig.plugin, id, text.c_str(), &read))
            Require(info != nullptr && read >= info->min_value && read <= info->max_value);
    }

    ClapRig rig;
    std::vector<std::vector<float>> audio;
    std::vector<clap_param_info_t> parameters;
    std::uint32_t longest = 1;
    bool active = false;
    std::uint64_t work = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    Driver driver(in.ConsumeBool() ? 2u : 1u);
    while (in.remaining_bytes() > 0 && driver.operate(in)) {
    }
    return 0;
}
