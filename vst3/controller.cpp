#include "controller.h"

#include "classids.h"
#include "controllerparameters.h"
#include "host/effect/effectstate.h"
#include "panelview.h"
#include "parameterscale.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "streambytes.h"
#include "text16.h"

using namespace Steinberg;

TapeDelayController::TapeDelayController(std::shared_ptr<LoadedProduct> loaded)
    : product(std::move(loaded))
{}

tresult PLUGIN_API TapeDelayController::initialize(FUnknown* context)
{
    const tresult result = EditControllerEx1::initialize(context);
    if (result != kResultOk)
        return result;
    AddParameters(*product, parameters);

    Vst::String128 name{};
    CopyText("Presets", name);
    auto* programs = new Vst::ProgramList(name, kProgramParameter, Vst::kRootUnitId);
    for (const PresetChanges& preset : product->presets) {
        Vst::String128 label{};
        CopyText(preset.label, label);
        programs->addProgram(label);
    }
    addProgramList(programs);
    parameters.addParameter(programs->getParameter());
    CopyText(product->description.name, name);
    addUnit(new Vst::Unit(name, Vst::kRootUnitId, Vst::kNoParentUnitId, kProgramParameter));
    return kResultOk;
}

tresult PLUGIN_API TapeDelayController::terminate()
{
    ownWrites = nullptr;
    return EditControllerEx1::terminate();
}

tresult PLUGIN_API TapeDelayController::notify(Vst::IMessage* message)
{
    if (message == nullptr)
        return kInvalidArgument;
    if (FIDStringsEqual(message->getMessageID(), kOwnWritesMessage)) {
        int64 address = 0;
        if (message->getAttributes() == nullptr ||
            message->getAttributes()->getInt(kOwnWritesAddress, address) != kResultOk)
            return kResultFalse;
        ownWrites = reinterpret_cast<OwnWrites*>(static_cast<intptr_t>(address));
        return kResultOk;
    }
    return EditControllerEx1::notify(message);
}

tresult PLUGIN_API TapeDelayController::setComponentState(IBStream* stream)
{
    const std::optional<std::vector<std::uint8_t>> bytes = ReadStream(stream);
    if (!bytes)
        return kResultFalse;
    const ReadStateResult read = ReadEffectState(*bytes);
    if (!read.state)
        return kResultFalse;
    for (const auto& [code, value] : read.state->values) {
        const std::size_t index = product->indexOf(code);
        if (index < product->scales.size())
            hold(code, product->scales[index].toNormalised(value));
    }
    return kResultOk;
}

tresult PLUGIN_API TapeDelayController::setParamNormalized(ParamID id, ParamValue value)
{
    passOwnWrites();
    const std::optional<double> normalised = HostNormalised(value);
    if (!normalised)
        return kInvalidArgument;
    const tresult result = hold(id, *normalised);
    // The processor applies a chosen preset; show its values meanwhile.
    if (result == kResultOk && id == kProgramParameter && !product->presets.empty()) {
        for (const auto& [index, plain] :
             product->presets[product->presetIndex(*normalised)].changes)
            hold(product->description.parameters[index].identifier,
                 product->scales[index].toNormalised(plain));
    }
    return result;
}

Vst::ParamValue PLUGIN_API TapeDelayController::getParamNormalized(ParamID id)
{
    passOwnWrites();
    return EditControllerEx1::getParamNormalized(id);
}

tresult PLUGIN_API TapeDelayController::getParamStringByValue(ParamID id, ParamValue value,
                                                              Vst::String128 text)
{
    const std::optional<double> normalised = HostNormalised(value);
    return normalised ? EditControllerEx1::getParamStringByValue(id, *normalised, text)
                      : kInvalidArgument;
}

Vst::ParamValue PLUGIN_API TapeDelayController::normalizedParamToPlain(ParamID id, ParamValue value)
{
    return EditControllerEx1::normalizedParamToPlain(id, HostNormalised(value).value_or(0.0));
}

tresult PLUGIN_API TapeDelayController::getParamValueByString(ParamID id, Vst::TChar* text,
                                                              ParamValue& value)
{
    ParamValue read = 0.0;
    if (EditControllerEx1::getParamValueByString(id, text, read) != kResultOk)
        return kResultFalse;
    const std::optional<double> normalised = HostNormalised(read);
    if (!normalised)
        return kResultFalse;
    value = *normalised;
    return kResultOk;
}

void TapeDelayController::passOwnWrites()
{
    // performEdit may bring the host back here; those calls pass nothing.
    if (!ownWrites || passing)
        return;
    passing = true;
    ownWrites->takeAll([this](std::size_t index, double normalised) {
        const ParamID id = product->description.parameters[index].identifier;
        hold(id, normalised);
        beginEdit(id);
        performEdit(id, normalised);
        endEdit(id);
    });
    passing = false;
}

tresult TapeDelayController::hold(ParamID id, ParamValue normalised)
{
    const tresult result = EditControllerEx1::setParamNormalized(id, normalised);
    if (result == kResultOk && view != nullptr)
        view->show(id, normalised);
    return result;
}

IPlugView* PLUGIN_API TapeDelayController::createView(FIDString name)
{
    if (name == nullptr || !FIDStringsEqual(name, Vst::ViewType::kEditor) || view != nullptr)
        return nullptr;
    view = new PanelView(*this);
    return view;
}

void TapeDelayController::viewClosed(const PanelView* closed)
{
    if (view == closed)
        view = nullptr;
}
