// The module's class factory: the processor and the edit controller, named
// and signed as the plug-in library describes itself, in the category
// Fx|Delay. One factory lives at a time; it and every object it makes share
// the loaded plug-in library.
#pragma once

#include <memory>
#include <string>

#include "loadedproduct.h"
#include "pluginterfaces/base/funknownimpl.h"
#include "pluginterfaces/base/ipluginbase.h"

class TapeDelayFactory
    : public Steinberg::U::Implements<
          Steinberg::U::Directly<Steinberg::IPluginFactory3>,
          Steinberg::U::Indirectly<Steinberg::IPluginFactory2, Steinberg::IPluginFactory>> {
public:
    // [main] The factory, made on the first call (loading the plug-in
    // library at libraryPath) and shared with a new reference after; null,
    // with the reason on standard error, when the library cannot be loaded.
    static Steinberg::IPluginFactory* Acquire(const std::string& libraryPath);

    explicit TapeDelayFactory(std::shared_ptr<LoadedProduct> product);
    ~TapeDelayFactory() override;

    using tresult = Steinberg::tresult;
    using int32 = Steinberg::int32;

    tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) override;
    int32 PLUGIN_API countClasses() override { return 2; }
    tresult PLUGIN_API getClassInfo(int32 index, Steinberg::PClassInfo* info) override;
    tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                      void** object) override;
    tresult PLUGIN_API getClassInfo2(int32 index, Steinberg::PClassInfo2* info) override;
    tresult PLUGIN_API getClassInfoUnicode(int32 index, Steinberg::PClassInfoW* info) override;
    tresult PLUGIN_API setHostContext(Steinberg::FUnknown*) override
    {
        return Steinberg::kResultOk;
    }

private:
    std::shared_ptr<LoadedProduct> product;
};
