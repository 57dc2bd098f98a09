// Which settings of a plot share a time axis: on one axis a setting whose
// echoes die away soon would be squeezed into the start of one that rings
// on for a minute, so the settings are drawn in panels of comparable spans.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

// Groups the settings, given how many seconds each shows, into panels: the
// longest span not yet placed opens a panel that takes every other setting
// showing at least half as much. The panels come in the order of their first
// setting, each listing its settings in their order; equal spans share one.
std::vector<std::vector<std::size_t>> TimePanels(std::span<const double> spans);
