#include "coeffblocks.h"

#include <cstring>

HostCoeffBlock::HostCoeffBlock(std::string name, std::uint32_t size, bool smoothed)
    : blockName(std::move(name)),
      isSmoothed(smoothed),
      copy(size, 0)
{
    if (smoothed && size % sizeof(double) != 0)
        noteFault("its size is not a whole number of gains");
}

void HostCoeffBlock::DeclareCoeff(std::uint32_t index, const char* name, std::uint32_t offset,
                                  std::uint32_t size, KtTypeId typeId)
{
    const std::string coeffName = name != nullptr ? name : "";
    if (static_cast<std::uint64_t>(offset) + size > copy.size()) {
        noteFault(coeffName + " lies outside the data area");
        return;
    }
    if (find(index) != nullptr) {
        noteFault("index " + std::to_string(index) + " is declared twice");
        return;
    }
    declared.push_back({index, coeffName, offset, size, typeId});
    // Found again after every declaration: the list may have moved.
    gated = nullptr;
    for (const CoeffDeclaration& declaration : declared)
        if (declaration.name == kKernelOwnedValue)
            gated = &declaration;
}

void HostCoeffBlock::CoeffChanged(std::uint32_t index, const void* address)
{
    const CoeffDeclaration* declaration = find(index);
    if (declaration == nullptr) {
        noteFault("a change of undeclared index " + std::to_string(index));
        return;
    }
    const auto* at = static_cast<const std::uint8_t*>(address);
    if (!locate(at - declaration->offset))
        return;
    std::memcpy(copy.data() + declaration->offset, at, declaration->size);
}

void HostCoeffBlock::Publish(const void* address)
{
    const auto* start = static_cast<const std::uint8_t*>(address);
    if (!locate(start))
        return;
    if (gated == nullptr) {
        std::memcpy(copy.data(), start, copy.size());
        return;
    }
    const std::size_t gap = gated->offset;
    const std::size_t resume = gap + gated->size;
    std::memcpy(copy.data(), start, gap);
    std::memcpy(copy.data() + resume, start + resume, copy.size() - resume);
}

void HostCoeffBlock::prepareGlide(std::uint32_t maxFrames, double rate)
{
    glideRate = rate;
    current.assign(gainCount(), 0.0);
    targets.assign(gainCount(), 0.0);
    step.assign(gainCount(), 0.0);
    glideRecords.assign((static_cast<std::size_t>(maxFrames) + 1) * gainCount(), 0.0);
    recordsSteady = false;
}

void HostCoeffBlock::settle()
{
    std::memcpy(current.data(), copy.data(), current.size() * sizeof(double));
    holdCurrent();
}

void HostCoeffBlock::holdCurrent()
{
    for (std::size_t at = 0; at < glideRecords.size(); at += current.size())
        std::memcpy(glideRecords.data() + at, current.data(), current.size() * sizeof(double));
    recordsSteady = true;
}

void HostCoeffBlock::glide(std::uint32_t frames)
{
    const std::size_t count = current.size();
    std::memcpy(targets.data(), copy.data(), count * sizeof(double));
    // A step that leaves every gain's bits alone leaves them alone for
    // good: all records then hold the current gains, and once written they
    // need no rewriting until a target moves.
    for (std::size_t g = 0; g < count; ++g)
        step[g] = current[g] + (targets[g] - current[g]) * glideRate;
    if (std::memcmp(step.data(), current.data(), count * sizeof(double)) == 0) {
        if (!recordsSteady)
            holdCurrent();
        return;
    }
    recordsSteady = false;
    double* record = glideRecords.data();
    std::memcpy(record, current.data(), count * sizeof(double));
    for (std::uint32_t k = 0; k < frames; ++k, record += count)
        for (std::size_t g = 0; g < count; ++g)
            record[count + g] = record[g] + (targets[g] - record[g]) * glideRate;
    std::memcpy(current.data(), record, count * sizeof(double));
}

const CoeffDeclaration* HostCoeffBlock::find(std::uint32_t index) const
{
    for (const CoeffDeclaration& declaration : declared)
        if (declaration.index == index)
            return &declaration;
    return nullptr;
}

bool HostCoeffBlock::locate(const std::uint8_t* start)
{
    if (source == nullptr)
        source = start;
    if (source == start)
        return true;
    noteFault("a notification outside its data area");
    return false;
}

void HostCoeffBlock::noteFault(const std::string& what)
{
    if (firstFault.empty())
        firstFault = "coefficient block " + blockName + ": " + what;
}

CoeffBlock* HostCoeffBlockFactory::CreateBlock(const char* name, std::uint32_t size, bool smoothed)
{
    created.push_back(
        std::make_unique<HostCoeffBlock>(name != nullptr ? name : "", size, smoothed));
    return created.back().get();
}

const std::string& HostCoeffBlockFactory::fault() const
{
    static const std::string none;
    for (const std::unique_ptr<HostCoeffBlock>& block : created)
        if (!block->fault().empty())
            return block->fault();
    return none;
}

std::string HostCoeffBlockFactory::preparePack(std::uint32_t maxFrames, double glideRate)
{
    pack.clear();
    smoothedBlock = nullptr;
    for (const std::unique_ptr<HostCoeffBlock>& block : created) {
        if (!block->smoothed())
            continue;
        if (smoothedBlock != nullptr)
            return "the controller created more than one smoothed coefficient block";
        smoothedBlock = block.get();
    }
    if (smoothedBlock == nullptr)
        return "the controller created no smoothed coefficient block";
    smoothedBlock->prepareGlide(maxFrames, glideRate);
    pack.push_back(smoothedBlock->records());
    for (const std::unique_ptr<HostCoeffBlock>& block : created)
        if (!block->smoothed())
            pack.push_back(block->data());
    return {};
}

void HostCoeffBlockFactory::settle()
{
    smoothedBlock->settle();
}

void HostCoeffBlockFactory::beginBlock(std::uint32_t frames)
{
    smoothedBlock->glide(frames);
}
