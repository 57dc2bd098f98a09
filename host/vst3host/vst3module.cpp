#include "vst3module.h"

#include <pluginterfaces/vst/ivstaudioprocessor.h>

#include "host/pluginhost/hosterrors.h"

Vst3Module::Vst3Module(const std::string& bundle)
{
    std::string error;
    module = VST3::Hosting::Module::create(bundle, error);
    if (!module)
        throw HostInputError(bundle + ": cannot load the VST3 module" +
                             (error.empty() ? std::string() : ": " + error));
    for (const VST3::Hosting::ClassInfo& info : module->getFactory().classInfos())
        if (info.category() == kVstAudioEffectClass) {
            effectClass = info;
            return;
        }
    throw HostInputError(bundle + ": holds no audio effect class");
}
