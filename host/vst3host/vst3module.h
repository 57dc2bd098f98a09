// A VST3 bundle loaded as a host loads it: the module, its class factory
// and the audio effect class in it.
#pragma once

#include <public.sdk/source/vst/hosting/module.h>

#include <string>

class Vst3Module {
public:
    // [main] throws HostInputError naming the bundle when it cannot be
    // loaded or holds no audio effect.
    explicit Vst3Module(const std::string& bundle);

    const VST3::Hosting::PluginFactory& factory() const { return module->getFactory(); }
    const VST3::Hosting::ClassInfo& effect() const { return effectClass; }

private:
    VST3::Hosting::Module::Ptr module;
    VST3::Hosting::ClassInfo effectClass;
};
