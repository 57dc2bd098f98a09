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

    for (const auto& [index, value] : settings.initialValues)
        parameters.preset(index, value);
    parameters.attach(*plugin);
    RunPluginOperation("the plug-in's initialise",
                       [&] { return plugin->initialise(&parameters, controllerInterface, this); });

    // The stored values are the user's and stand as they are: what the
    // plug-in writes back while they are first handled is dropped.
    parameters.discardPluginWrites(true);
    parameters.reportAll();
    if (settings.sessionTempo)
        plugin->query(*settings.sessionTempo, 0.0, 0.0);
    parameters.dispatch();
    parameters.discardPluginWrites(false);

    RunPluginOperation("the algorithm's set-up", [&] { return algorithm->Setup(setup); });
    const double glideRate = onePoleRate(kGlideCornerHz, static_cast<double>(setup.sampleRate));
    if (const std::string problem = blocks.preparePack(settings.maxBlockFrames, glideRate);
        !problem.empty())
        throw PluginContractError(problem);
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

void PluginInstance::tap(double bpm)
{
    Missive message;
    message.put(kMissiveDefault, "BPMTapped");
    message.put("bpm", bpm);
    plugin->handleMessage(message);
}

std::size_t PluginInstance::process(const float* input, float* output, std::uint32_t frames)
{
    if (frames > settings.maxBlockFrames)
        throw std::invalid_argument("a block longer than the instance was set up for");
    std::size_t replaced = 0;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const bool finite = std::isfinite(input[i]);
        replaced += finite ? 0 : 1;
        inputBuffer[i] = finite ? input[i] : 0.0f;
    }

    if (settings.sessionTempo)
        plugin->query(*settings.sessionTempo, 0.0, 0.0);
    parameters.dispatch();
    if (const std::string& fault = blocks.fault(); !fault.empty())
        throw PluginContractError(fault);

    blocks.beginBlock(frames);
    const float* in = inputBuffer.data();
    callback.function(callback.context, 0, frames, 0, &in, 0, &output, blocks.handle(), meters);

    plugin->update();

    for (int k = 0; k < 2; ++k) {
        peaks[k] = std::max(peaks[k], meters[k]);
        meters[k] = 0.0f;
    }
    position += frames;
    parameters.setClock(static_cast<double>(position) / settings.sampleRate);
    return replaced;
}
