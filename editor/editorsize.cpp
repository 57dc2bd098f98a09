// The panel's sizes: whole multiples of its 38:15 aspect, so that every
// size the editor takes has exactly the panel's shape.
#include <algorithm>
#include <cstdint>

#include "editor.h"
#include "panellayout.h"

namespace {

constexpr std::uint32_t kAspectWidth = 38;
constexpr std::uint32_t kAspectHeight = 15;
constexpr std::uint32_t kDefaultSteps = 20; // 760 x 300, the panel's own units
constexpr std::uint32_t kMinimumSteps = 15;
constexpr std::uint32_t kMaximumSteps = 40;

static_assert(kAspectWidth * kDefaultSteps == static_cast<std::uint32_t>(kPanelWidth) &&
              kAspectHeight * kDefaultSteps == static_cast<std::uint32_t>(kPanelHeight));

EditorSize sizeOf(std::uint32_t steps)
{
    return {kAspectWidth * steps, kAspectHeight * steps};
}

} // namespace

EditorSize Editor::defaultSize()
{
    return sizeOf(kDefaultSteps);
}

EditorSize Editor::minimumSize()
{
    return sizeOf(kMinimumSteps);
}

EditorSize Editor::maximumSize()
{
    return sizeOf(kMaximumSteps);
}

EditorSize Editor::constrain(EditorSize wanted)
{
    // The largest panel that fits the size wanted, within the limits.
    const std::uint32_t steps =
        std::min(wanted.width / kAspectWidth, wanted.height / kAspectHeight);
    return sizeOf(std::clamp(steps, kMinimumSteps, kMaximumSteps));
}
