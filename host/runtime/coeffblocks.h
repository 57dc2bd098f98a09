// The wrapper's side of the coefficient-block contract: the blocks the
// controller declares its values to and notifies, the copies the kernel
// reads, the per-sample glide of the smoothed block, and the coefficient
// pack handed to every audio block.
//
// The controller's calls arrive on the parameter thread and the kernel reads
// on the audio thread; in this host both are the same thread, so copying on
// notification is the whole hand-over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hux/public/plugin/coeffblock.h"
#include "hux/public/plugin/huxsetup.h"

// The one value the kernel itself writes in its copy (the tape delay's gated
// gain, a glide state): a publish leaves it alone, only a change notified for
// it replaces the kernel's running value.
inline constexpr const char* kKernelOwnedValue = "gatedPostDistortionGain";

struct CoeffDeclaration {
    std::uint32_t index = 0;
    std::string name;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    KtTypeId typeId = 0;
};

class HostCoeffBlock final : public CoeffBlock {
public:
    HostCoeffBlock(std::string name, std::uint32_t size, bool smoothed);

    void DeclareCoeff(std::uint32_t index, const char* name, std::uint32_t offset,
                      std::uint32_t size, KtTypeId typeId) override;
    void CoeffChanged(std::uint32_t index, const void* address) override;
    void Publish(const void* address) override;

    bool smoothed() const { return isSmoothed; }
    const std::vector<CoeffDeclaration>& declarations() const { return declared; }
    // The first breach of the contract seen, empty when none.
    const std::string& fault() const { return firstFault; }

    // The copy the kernel reads (a smoothed block: the latest targets).
    std::uint8_t* data() { return copy.data(); }

    // Smoothed blocks only. Room for blocks of up to maxFrames frames and
    // the glide's rate per sample.
    void prepareGlide(std::uint32_t maxFrames, double rate);
    // The current gains jump to their targets.
    void settle();
    // Writes frames + 1 records, each a step of the glide from the last;
    // afterwards the current gains are those of the last record.
    void glide(std::uint32_t frames);
    double* records() { return glideRecords.data(); }

private:
    const CoeffDeclaration* find(std::uint32_t index) const;
    // The controller's data area must start at one address throughout.
    bool locate(const std::uint8_t* start);
    void noteFault(const std::string& what);
    // Every record takes the current gains.
    void holdCurrent();
    std::size_t gainCount() const { return copy.size() / sizeof(double); }

    std::string blockName;
    bool isSmoothed;
    std::vector<CoeffDeclaration> declared;
    std::vector<std::uint8_t> copy;
    const std::uint8_t* source = nullptr;
    const CoeffDeclaration* gated = nullptr; // kept by the kernel between publishes
    std::string firstFault;

    double glideRate = 0.0;
    std::vector<double> current;
    std::vector<double> targets; // read once per block
    std::vector<double> step;    // one step of the glide from the current gains
    std::vector<double> glideRecords;
    bool recordsSteady = false; // every record holds the current gains
};

class HostCoeffBlockFactory final : public CoeffBlockFactory {
public:
    CoeffBlock* CreateBlock(const char* name, std::uint32_t size, bool smoothed) override;

    const std::vector<std::unique_ptr<HostCoeffBlock>>& blocks() const { return created; }
    // The first fault of any block, empty when none.
    const std::string& fault() const;

    // Builds the coefficient pack: the smoothed block's records first, then
    // the other blocks' copies in the order they were created. Needs exactly
    // one smoothed block; returns an empty text or what is wrong.
    std::string preparePack(std::uint32_t maxFrames, double glideRate);
    // The glide stands at its targets.
    void settle();
    // Fills the smoothed records for a block of frames.
    void beginBlock(std::uint32_t frames);
    HuxCoeffHandle handle() { return pack.data(); }

private:
    std::vector<std::unique_ptr<HostCoeffBlock>> created;
    HostCoeffBlock* smoothedBlock = nullptr;
    std::vector<void*> pack;
};
