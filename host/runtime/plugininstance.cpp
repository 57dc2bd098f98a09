#include "plugininstance.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "hosterrors.h"

namespace {

// The smoothed gains glide with a one-pole at this corner.
constexpr double kGlideCornerHz = 10.0;

} // namespace

PluginInstance::PluginInstance(PluginLibrary& library, const InstanceSettings& settings)
    : settings(settings),
      plugin(library, "IIHux::Plugin"),
      controller(library, "IIHux::AlgorithmController"),
      algorithm(library, "IIHux::Algorithm"),
      described(ExchangeDescriptions(*plugin)),
      parameters(described.parameters),
      inputBuffer(settings.maxBlockFrames)
{
    if (settings.maxBlockFrames == 0)
        throw std::invalid_argument("the block size must be at least one frame");
    setUp();
}

PluginInstance::~PluginInstance() = default;

void PluginInstance::setUp()
{
    const HuxSetup setup{0.0, static_cast<float>(settings.sampleRate)};

    RunPluginOperation("the controller's set-up",
                       [&] { return controller->Setup(setup, &blocks); });
    if (const std::string& fault = blocks.fault(); !fault.empty())
        throw PluginContractError(fault);
    IIVX9Controller* controllerInterface = controller->GetControllerInterface();

    parameters.attach(*plugin);
    RunPluginOperation("the plug-in's initialise",
                       [&] { return plugin->initialise(&parameters, controllerInterface, this); });

    // Every parameter starts at its default.
    parameters.reportAll();
    handleReported();

    // The algorithm's buffers; its set-up reads no coefficients, so it may
    // come before the starting values.
    RunPluginOperation("the algorithm's set-up", [&] { return algorithm->Setup(setup); });
    const double glideRate = onePoleRate(kGlideCornerHz, static_cast<double>(setup.sampleRate));
    if (const std::string problem = blocks.preparePack(settings.maxBlockFrames, glideRate);
        !problem.empty())
        throw PluginContractError(problem);
    if (const std::string& fault = blocks.fault(); !fault.empty())
        throw PluginContractError(fault);
}

// What the plug-in writes back while a whole set is handled is dropped: the
// set is already consistent.
void PluginInstance::handleReported()
{
    struct DiscardScope {
        ParameterService& parameters;
        ~DiscardScope() { parameters.discardPluginWrites(false); }
    } scope{parameters};
    parameters.discardPluginWrites(true);
    plugin->query(settings.sessionTempo, 0.0, 0.0);
    parameters.dispatch();
}

void PluginInstance::restore(std::span<const double> values)
{
    if (values.size() != parameters.size())
        throw std::invalid_argument("a restore needs one value per parameter");
    // Only what changes is handled, as when a user sets a control: handling
    // a value again may move what its handler glides towards it.
    parameters.storeAndReportChanges(values);
    handleReported();
}

// The user's values, turned in as a user turns the controls: each one is
// handled before the next, with the plug-in's own follow-ups, so the result
// is what the same clicks give in a running host.
void PluginInstance::start(std::span<const StartingValue> values,
                           const StartingValueObserver& observer)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        parameters.set(values[i].first, values[i].second);
        if (observer)
            observer(i, *this);
    }
    plugin->query(settings.sessionTempo, 0.0, 0.0);
    parameters.dispatch();

    // No glide from zero at the start.
    blocks.settle();
    RunPluginOperation("the algorithm's reset", [&] { return algorithm->Reset(blocks.handle()); });
    callback = algorithm->GetProcessCallback();
    if (callback.function == nullptr)
        throw PluginContractError("the algorithm gave no block callback");
    if (const std::string& fault = blocks.fault(); !fault.empty())
        throw PluginContractError(fault);
}

void PluginInstance::change(std::size_t index, double value)
{
    parameters.change(index, value);
}

void PluginInstance::sendMessage(const char* name, const char* key, double value)
{
    Missive message;
    message.put(kMissiveDefault, name);
    message.put(key, value);
    plugin->handleMessage(message);
}

std::size_t PluginInstance::process(const float* input, float* output, std::uint32_t frames)
{
    if (frames > settings.maxBlockFrames)
        throw std::invalid_argument("a block longer than the instance was set up for");
    if (callback.function == nullptr)
        throw std::logic_error("a block before the instance was started");
    std::size_t replaced = 0;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const bool finite = std::isfinite(input[i]);
        replaced += finite ? 0 : 1;
        inputBuffer[i] = finite ? input[i] : 0.0f;
    }

    plugin->query(settings.sessionTempo, 0.0, 0.0);
    parameters.dispatch();
    if (const std::string& fault = blocks.fault(); !fault.empty())
        throw PluginContractError(fault);

    blocks.beginBlock(frames);
    const float* in = inputBuffer.data();
    callback.function(callback.context, 0, frames, 0, &in, 0, &output, blocks.handle(), meters);

    plugin->update();

    for (int k = 0; k < 2; ++k) {
        readings[k] = meters[k];
        meters[k] = 0.0f;
    }
    position += frames;
    parameters.setClock(static_cast<double>(position) / settings.sampleRate);
    return replaced;
}
