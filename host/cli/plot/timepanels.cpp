#include "timepanels.h"

#include <algorithm>
#include <numeric>

std::vector<std::vector<std::size_t>> TimePanels(std::span<const double> spans)
{
    std::vector<std::size_t> longestFirst(spans.size());
    std::iota(longestFirst.begin(), longestFirst.end(), std::size_t{0});
    std::stable_sort(longestFirst.begin(), longestFirst.end(),
                     [&](std::size_t a, std::size_t b) { return spans[a] > spans[b]; });
    std::vector<std::vector<std::size_t>> panels;
    std::vector<bool> placed(spans.size(), false);
    for (const std::size_t longest : longestFirst) {
        if (placed[longest])
            continue;
        std::vector<std::size_t>& panel = panels.emplace_back();
        for (std::size_t s = 0; s < spans.size(); ++s)
            if (!placed[s] && spans[s] * 2.0 >= spans[longest]) {
                placed[s] = true;
                panel.push_back(s);
            }
    }
    std::sort(panels.begin(), panels.end());
    return panels;
}
