// The plug-in object: IIHux::Plugin and its base HuxPlugin<P, C>.
//
// The wrapper drives it from one thread (the parameter/message thread): it
// exchanges the descriptions, hands over the parameter service and the
// controller, reports parameter changes and delivers named messages. The
// base binds host parameters to handlers by four-character code and runs the
// handlers of changed parameters when the wrapper asks it to dispatch.
// Nothing here locks; calls on one object must not overlap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/ktresult.h"
#include "huxhost.h"
#include "huxkeys.h"
#include "huxsetup.h"
#include "iivx9controller.h"
#include "missive/source/serialization/missive.h"

namespace IIHux {
// Callers address the operations by their order, so it is fixed. Every
// operation runs on the parameter thread (never overlapping another call on
// the same object, nor a block of the algorithm while set-up or reset runs),
// may allocate, and reports failure by a KtException it lets pass; none of
// them is ever called on the audio thread.
struct Plugin {
    // Before or after initialise; uses no host pointers.
    virtual KtResult exchangeDescriptor(MessageSink& sink) = 0;
    // Throws "too many channels" for a channel count the plug-in cannot take.
    virtual KtResult exchangeParameters(MessageSink& sink, std::uint32_t& channelCount) = 0;
    // Once, after the exchanges; binds the host's parameters.
    virtual KtResult initialise(HuxParameterHost* parameterHost, IIVX9Controller* controller,
                                void* hostContext) = 0;
    virtual KtResult saveState(ByteSink& sink, bool flag) = 0;
    virtual KtResult restoreState(const std::uint8_t* bytes, std::size_t length, bool flag) = 0;
    // After every block: may write display parameters back through the host.
    virtual void update() = 0;
    // The reply stays valid until the next call of handleMessage.
    virtual IIMissiveOut& handleMessage(const IIMissiveIn& message) = 0;
    virtual void reservedHook7() = 0;
    // Before every block: the host's session tempo in BPM.
    virtual void query(double sessionTempo, double reserved1, double reserved2) = 0;
    virtual void reservedHook9() = 0;
    // Marks the parameter's binding pending; calls nothing yet, allocates nothing.
    virtual void parameterChanged(HuxParameter& parameter, bool passLinked) = 0;
    // Runs the pending handlers in index order; a handler may set parameters.
    virtual void dispatchParameterChanges() = 0;
    virtual void linkParameter(HuxParameter& parameter) = 0;
    virtual void reservedHook13() = 0;
    // The product's hooks, called by the base from the operations above.
    virtual Missive describePlugin() = 0;
    virtual void describeParameters(ParameterAndMeterSink& sink, std::uint32_t& channelCount) = 0;
    virtual void bindParameters() = 0;
    virtual void writeState(IIMissiveOut& state, bool flag) = 0;
    virtual void readState(const IIMissiveIn& state, bool flag) = 0;
    virtual Missive handleUnknownMessage(const IIMissiveIn& message) = 0;
    virtual void bypassChanged(HuxParameter& parameter) = 0;
    virtual void setBypass(bool bypassed) = 0;

protected:
    ~Plugin() = default;
};
} // namespace IIHux

template <class P, class C>
class HuxPlugin : public IIHux::Plugin {
public:
    // A plain handler: the plug-in, the changed parameter and its linked
    // parameters (each null when the host left it out or linking was off).
    using Handler = void (*)(P& plugin, HuxParameter& parameter,
                             std::span<HuxParameter* const> linked);
    using MessageHandler = void (*)(P& plugin, const Missive& message);

    static constexpr std::size_t kMaxLinked = 3;

    struct Binding {
        HuxParameter* pending = nullptr;
        std::function<void(HuxParameter&)> onChange;
        std::function<void(C*, HuxParameter&)> onChangeWithController;
        Handler handler = nullptr;
        std::vector<HuxParameter*> linked;
        bool passLinked = false;
    };

    KtResult exchangeDescriptor(MessageSink& sink) override
    {
        const Missive descriptor = describePlugin();
        if (!descriptor.empty())
            sink.exchange(descriptor);
        const MissiveCursor enable = descriptor.find(HuxKeys::kEnableBypass);
        if (enable.found())
            bypassEnabled = read<bool>(enable);
        return KtSuccess();
    }

    KtResult exchangeParameters(MessageSink& sink, std::uint32_t& channelCount) override
    {
        Missive parameters;
        Missive meters;
        ParameterAndMeterSink descriptions{parameters, meters};
        describeParameters(descriptions, channelCount);
        if (parameters.empty() && meters.empty())
            return KtSuccess();
        Missive message;
        message.put(HuxKeys::kParameters, parameters);
        message.put(HuxKeys::kMeters, meters);
        sink.exchange(message);
        return KtSuccess();
    }

    KtResult initialise(HuxParameterHost* host, C* controllerInterface, void* context) override
    {
        if (host == nullptr || controllerInterface == nullptr)
            throw std::invalid_argument("initialise needs a parameter service and a controller");
        parameterHost = host;
        controller = controllerInterface;
        hostContext = context;
        if (bypassEnabled)
            addBinding(HuxFourCC("bypa"), &HuxPlugin::bypassHandler);
        bindParameters();
        return KtSuccess();
    }

    KtResult saveState(ByteSink& sink, bool flag) override
    {
        Missive state;
        writeState(state, flag);
        sink.store(state.data(), state.size());
        return KtSuccess();
    }

    KtResult restoreState(const std::uint8_t* bytes, std::size_t length, bool flag) override
    {
        Missive state;
        state.assign(bytes, length);
        readState(state, flag);
        return KtSuccess();
    }

    void update() override {}

    IIMissiveOut& handleMessage(const IIMissiveIn& message) override
    {
        const Missive local(&message);
        const MissiveCursor nameRecord = local.findDefault();
        const std::string name = read<std::string>(nameRecord);
        const auto found = messageHandlers.find(name);
        if (found != messageHandlers.end()) {
            found->second(self(), local);
            reply.clear();
        } else {
            Missive answer = handleUnknownMessage(local);
            reply.takeOver(answer);
        }
        return reply;
    }

    void reservedHook7() override {}
    void query(double, double, double) override {}
    void reservedHook9() override {}

    void parameterChanged(HuxParameter& parameter, bool passLinked) override
    {
        const std::uint32_t index = parameter.index();
        if (index >= bindings.size())
            return;
        bindings[index].pending = &parameter;
        bindings[index].passLinked = passLinked;
    }

    void dispatchParameterChanges() override
    {
        // Indexed, not iterated: a handler may set parameters, and the host
        // may report them back into this walk.
        for (std::size_t index = 0; index < bindings.size(); ++index) {
            if (bindings[index].pending == nullptr)
                continue;
            dispatch(bindings[index]);
            bindings[index].pending = nullptr;
        }
    }

    void linkParameter(HuxParameter& parameter) override
    {
        const std::uint32_t index = parameter.index();
        if (index >= bindings.size())
            return;
        for (HuxParameter* linked : bindings[index].linked)
            parameter.link(linked);
    }

    void reservedHook13() override {}
    void describeParameters(ParameterAndMeterSink&, std::uint32_t&) override {}
    void writeState(IIMissiveOut&, bool) override {}
    void readState(const IIMissiveIn&, bool) override {}
    Missive handleUnknownMessage(const IIMissiveIn&) override { return Missive(); }
    void bypassChanged(HuxParameter& parameter) override { setBypass(parameter.value() != 0.0); }
    void setBypass(bool) override {}

protected:
    HuxPlugin() = default;
    ~HuxPlugin() = default;

    // Binds the host parameter with the identifier to a plain handler.
    // Returns its index, or -1 (nothing stored) when the host has no such parameter.
    int addBinding(std::uint32_t identifier, Handler handler)
    {
        Binding* binding = bindingFor(identifier, reinterpret_cast<const void*>(handler));
        if (binding == nullptr)
            return -1;
        binding->handler = handler;
        return static_cast<int>(binding - bindings.data());
    }

    // As above; the handler also receives the parameters named by linkedIdentifiers,
    // looked up in that order (a parameter the host lacks is passed as null).
    int addBinding(std::uint32_t identifier, Handler handler,
                   std::initializer_list<std::uint32_t> linkedIdentifiers)
    {
        const int index = addBinding(identifier, handler);
        if (index < 0)
            return index;
        for (const std::uint32_t linked : linkedIdentifiers)
            bindings[static_cast<std::size_t>(index)].linked.push_back(
                parameterHost->lookup(linked, nullptr));
        return index;
    }

    // Bindings to callables: onChange(parameter), or onChange(controller, parameter).
    int addChangeBinding(std::uint32_t identifier, std::function<void(HuxParameter&)> onChange)
    {
        return bindCallable(identifier, &Binding::onChange, std::move(onChange));
    }

    int addControllerBinding(std::uint32_t identifier,
                             std::function<void(C*, HuxParameter&)> onChange)
    {
        return bindCallable(identifier, &Binding::onChangeWithController, std::move(onChange));
    }

    void addMessageHandler(std::string name, MessageHandler handler)
    {
        messageHandlers[std::move(name)] = handler;
    }

    // The handler of the host's bypass parameter "bypa".
    static void bypassHandler(P& plugin, HuxParameter& parameter, std::span<HuxParameter* const>)
    {
        plugin.bypassChanged(parameter);
    }

    std::vector<Binding> bindings;
    std::unordered_map<std::string, MessageHandler> messageHandlers;
    bool bypassEnabled = true;
    HuxParameterHost* parameterHost = nullptr; // the wrapper's
    C* controller = nullptr;                   // the wrapper's
    void* hostContext = nullptr;               // kept, not used
    Missive reply;

private:
    // The product object; only used once it is fully constructed.
    P& self() { return static_cast<P&>(*this); }

    Binding* bindingFor(std::uint32_t identifier, const void* handler)
    {
        HuxParameter* parameter = parameterHost->lookup(identifier, handler);
        if (parameter == nullptr)
            return nullptr;
        const std::size_t index = parameter->index();
        if (bindings.size() < index + 1)
            bindings.resize(index + 1);
        return &bindings[index];
    }

    template <class Callable>
    int bindCallable(std::uint32_t identifier, Callable Binding::*field, Callable callable)
    {
        Binding* binding = bindingFor(identifier, nullptr);
        if (binding == nullptr)
            return -1;
        binding->*field = std::move(callable);
        return static_cast<int>(binding - bindings.data());
    }

    void dispatch(Binding& binding)
    {
        HuxParameter& parameter = *binding.pending;
        if (binding.handler != nullptr) {
            const std::size_t count = binding.linked.size();
            if (count > kMaxLinked)
                KtFail("throw", kHuxSource, kHuxUnimplementedLine, "unimplemented");
            HuxParameter* linked[kMaxLinked] = {};
            for (std::size_t i = 0; i < count; ++i)
                linked[i] = binding.passLinked ? binding.linked[i] : nullptr;
            binding.handler(self(), parameter, std::span<HuxParameter* const>(linked, count));
        } else if (binding.onChange) {
            binding.onChange(parameter);
        } else if (binding.onChangeWithController) {
            binding.onChangeWithController(controller, parameter);
        }
    }
};
