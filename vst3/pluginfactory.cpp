#include "pluginfactory.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <string_view>
#include <type_traits>

#include "classids.h"
#include "controller.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "processor.h"
#include "text16.h"

using namespace Steinberg;

namespace {

std::mutex factoryMutex;
TapeDelayFactory* liveFactory = nullptr;

constexpr const char* kSubCategories = "Fx|Delay";

// The fields every form of class info shares, as UTF-8.
struct ClassFacts {
    const FUID* cid;
    const char* category;
    std::string name;
};

bool factsOf(int32 index, const LoadedProduct& product, ClassFacts& facts)
{
    if (index == 0)
        facts = {&kProcessorClass, kVstAudioEffectClass, product.description.name};
    else if (index == 1)
        facts = {&kControllerClass, kVstComponentControllerClass,
                 product.description.name + " Controller"};
    else
        return false;
    return true;
}

struct CopyAscii {
    template <std::size_t N>
    void operator()(const std::string& text, char8 (&to)[N]) const
    {
        std::strncpy(to, text.c_str(), N - 1);
        to[N - 1] = 0;
    }
} constexpr copyAscii;

struct CopyWide {
    template <std::size_t N>
    void operator()(std::string_view text, Vst::TChar (&to)[N]) const
    {
        ::CopyText(text, to);
    }
} constexpr copyWide;

// Any form of class info: the first form's fields, and the later forms'
// sub-categories, vendor and versions; copy writes names in the form's own
// characters.
template <class Info, class Copy>
tresult describeClass(int32 index, const LoadedProduct& product, Info* info, Copy copy)
{
    ClassFacts facts;
    if (info == nullptr || !factsOf(index, product, facts))
        return kInvalidArgument;
    *info = {};
    facts.cid->toTUID(info->cid);
    info->cardinality = PClassInfo::kManyInstances;
    copyAscii(facts.category, info->category);
    copy(facts.name, info->name);
    if constexpr (!std::is_same_v<Info, PClassInfo>) {
        copyAscii(index == 0 ? kSubCategories : "", info->subCategories);
        copy(product.description.developer, info->vendor);
        copy(TAPEDELAY_VERSION, info->version);
        copy(kVstVersionString, info->sdkVersion);
    }
    return kResultOk;
}

} // namespace

IPluginFactory* TapeDelayFactory::Acquire(const std::string& libraryPath)
{
    const std::lock_guard<std::mutex> lock(factoryMutex);
    if (liveFactory != nullptr) {
        liveFactory->addRef();
        return liveFactory;
    }
    try {
        liveFactory = new TapeDelayFactory(std::make_shared<LoadedProduct>(libraryPath));
        return liveFactory;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
    }
    return nullptr;
}

TapeDelayFactory::TapeDelayFactory(std::shared_ptr<LoadedProduct> loaded)
    : product(std::move(loaded))
{}

TapeDelayFactory::~TapeDelayFactory()
{
    const std::lock_guard<std::mutex> lock(factoryMutex);
    if (liveFactory == this)
        liveFactory = nullptr;
}

tresult PLUGIN_API TapeDelayFactory::getFactoryInfo(PFactoryInfo* info)
{
    if (info == nullptr)
        return kInvalidArgument;
    *info = {};
    copyAscii(product->description.developer, info->vendor);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
}

tresult PLUGIN_API TapeDelayFactory::getClassInfo(int32 index, PClassInfo* info)
{
    return describeClass(index, *product, info, copyAscii);
}

tresult PLUGIN_API TapeDelayFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
    return describeClass(index, *product, info, copyAscii);
}

tresult PLUGIN_API TapeDelayFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
    return describeClass(index, *product, info, copyWide);
}

tresult PLUGIN_API TapeDelayFactory::createInstance(FIDString cid, FIDString iid, void** object)
{
    if (cid == nullptr || iid == nullptr || object == nullptr)
        return kInvalidArgument;
    *object = nullptr;
    FUnknown* instance = nullptr;
    try {
        if (FUnknownPrivate::iidEqual(cid, kProcessorClass.toTUID()))
            instance = static_cast<Vst::IAudioProcessor*>(new TapeDelayProcessor(product));
        else if (FUnknownPrivate::iidEqual(cid, kControllerClass.toTUID()))
            instance = static_cast<Vst::IEditController*>(new TapeDelayController(product));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return kOutOfMemory;
    }
    if (instance == nullptr)
        return kNoInterface;
    const tresult result = instance->queryInterface(iid, object);
    instance->release();
    return result;
}
