// A wrapper-side coefficient-block factory for tests and fuzzing: it records
// every call and keeps, per block, a copy of the data area built only from
// what the calls told it (as a real wrapper would). A call that breaks the
// block contract throws std::logic_error.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "hux/public/plugin/hux.h"
#include "tapedelay/source/vx9algorithmcontroller.h"
#include "tapedelay/source/vx9coeffs.h"

// A declaration as the block keeps it, at its index.
struct RecordedDecl {
    std::string name;
    std::uint32_t offset;
    std::uint32_t size;
    KtTypeId type;
};

struct RecordingBlock final : CoeffBlock {
    RecordingBlock(std::vector<std::string>& log, std::string name, std::uint32_t size,
                   bool smoothed)
        : log(log),
          name(std::move(name)),
          size(size),
          smoothed(smoothed),
          copy(size)
    {}

    void DeclareCoeff(std::uint32_t index, const char* coeffName, std::uint32_t offset,
                      std::uint32_t coeffSize, KtTypeId typeId) override
    {
        decls.resize(std::max<std::size_t>(decls.size(), index + 1));
        decls[index] = {coeffName, offset, coeffSize, typeId};
    }

    // Logged as "<block>.<name>"; the address must sit at the declared offset.
    void CoeffChanged(std::uint32_t index, const void* address) override
    {
        if (index >= decls.size() || decls[index].name.empty())
            throw std::logic_error(name + ": change of undeclared index " + std::to_string(index));
        const RecordedDecl& d = decls[index];
        const auto* at = static_cast<const unsigned char*>(address);
        noteBase(at - d.offset);
        std::memcpy(copy.data() + d.offset, at, d.size);
        log.push_back(name + "." + d.name);
    }

    void Publish(const void* address) override
    {
        noteBase(static_cast<const unsigned char*>(address));
        std::memcpy(copy.data(), address, size);
        log.push_back(name + " publish");
    }

    template <class T>
    T values() const
    {
        if (sizeof(T) != size)
            throw std::logic_error(name + ": read as a record of another size");
        T v{};
        std::memcpy(&v, copy.data(), sizeof v);
        return v;
    }

    std::vector<std::string>& log;
    std::string name;
    std::uint32_t size;
    bool smoothed;
    std::vector<RecordedDecl> decls;
    std::vector<unsigned char> copy;

private:
    // Every call must imply the same start of the data area.
    void noteBase(const unsigned char* base)
    {
        if (dataStart == nullptr)
            dataStart = base;
        if (dataStart != base)
            throw std::logic_error(name + ": notified outside its data area");
    }
    const unsigned char* dataStart = nullptr;
};

struct RecordingFactory final : CoeffBlockFactory {
    CoeffBlock* CreateBlock(const char* name, std::uint32_t size, bool smoothed) override
    {
        blocks.push_back(std::make_unique<RecordingBlock>(log, name, size, smoothed));
        return blocks.back().get();
    }

    // The newest block of that name.
    const RecordingBlock& block(const std::string& name) const
    {
        for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
            if ((*it)->name == name)
                return **it;
        throw std::runtime_error("no block " + name);
    }

    VX9SmoothedCoeffs smoothed() const
    {
        return block("VX9SmoothedCoeffsT").values<VX9SmoothedCoeffs>();
    }
    VX9Coeffs coeffs() const { return block("VX9CoeffsT").values<VX9Coeffs>(); }
    VX9AtomicCoeffs atomic() const { return block("VX9AtomicCoeffsT").values<VX9AtomicCoeffs>(); }
    VX9CombTable comb() const { return block("VX9CombTableT").values<VX9CombTable>(); }

    std::vector<std::unique_ptr<RecordingBlock>> blocks;
    std::vector<std::string> log;
};

// The option indices of Mode and Tone, as the controller receives them.
enum VX9TestMode : std::uint32_t { kVintage, kRetro, kModern };
enum VX9TestTone : std::uint32_t { kNormal, kDark, kBright };

// A controller set up at `rate` on a recording factory.
struct VX9ControllerRig {
    explicit VX9ControllerRig(float rate) { framework().Setup(HuxSetup{0.0, rate}, &factory); }

    IIHux::AlgorithmController& framework() { return controller; }
    IIVX9Controller& ops() { return *controller.GetControllerInterface(); }

    // Every value applied, the way the plug-in binds its parameters.
    void voice(std::uint32_t mode, std::uint32_t tone, double delaySeconds, double feedback)
    {
        ops().setTone(tone);
        ops().setMode(mode);
        ops().setTimeGlide(false);
        ops().setDelayTime(delaySeconds);
        ops().setFeedback(feedback);
        ops().setInput(5.0);
        ops().setOutput(5.0);
        ops().setBlend(5.0);
    }

    RecordingFactory factory;
    VX9AlgorithmController controller;
};
