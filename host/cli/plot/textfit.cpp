#include "textfit.h"

namespace {

// Advance widths of ASCII 32 to 126 in hundredths of an em, rounded up: the
// larger of DejaVu Sans and Liberation Sans, regular and bold.
constexpr unsigned char kRegular[] = {
    32, 41, 46, 84, 64, 96, 78, 28, 40,  40, 50, 84, 32, 37, 32, 34, 64, 64, 64, 64, 64, 64, 64, 64,
    64, 64, 34, 34, 84, 84, 84, 56, 102, 69, 69, 73, 78, 67, 62, 78, 76, 30, 50, 67, 56, 87, 75, 79,
    67, 79, 73, 67, 62, 74, 69, 99, 69,  67, 69, 40, 34, 40, 84, 56, 50, 62, 64, 55, 64, 62, 36, 64,
    64, 28, 28, 58, 28, 98, 64, 62, 64,  64, 42, 53, 40, 64, 60, 82, 60, 60, 53, 64, 34, 64, 84};
constexpr unsigned char kBold[] = {
    35, 46,  53, 84, 70, 101, 88, 31,  46, 46, 53, 84, 38, 42,  38, 37, 70, 70,  70,
    70, 70,  70, 70, 70, 70,  70, 40,  40, 84, 84, 84, 62, 100, 78, 77, 74, 84,  69,
    69, 83,  84, 38, 56, 78,  64, 100, 84, 86, 74, 86, 78, 73,  69, 82, 78, 111, 78,
    73, 73,  46, 37, 46, 84,  56, 50,  68, 72, 60, 72, 68, 44,  72, 72, 35, 35,  67,
    35, 105, 72, 69, 72, 72,  50, 60,  48, 72, 66, 93, 65, 66,  59, 72, 37, 72,  84};

// The width of one character starting at text[at] in hundredths of an em,
// and how many bytes it takes (UTF-8).
std::size_t characterWidth(std::string_view text, std::size_t at, bool bold, std::size_t& bytes)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    bytes = 1;
    if (lead < 0x80)
        return lead >= 32 && lead <= 126 ? (bold ? kBold : kRegular)[lead - 32] : 100;
    while (at + bytes < text.size() &&
           (static_cast<unsigned char>(text[at + bytes]) & 0xC0) == 0x80)
        ++bytes;
    return 100;
}

std::size_t hundredths(std::string_view text, bool bold)
{
    std::size_t total = 0;
    for (std::size_t at = 0, bytes = 0; at < text.size(); at += bytes)
        total += characterWidth(text, at, bold, bytes);
    return total;
}

} // namespace

double TextWidth(std::string_view text, double fontSize, bool bold)
{
    return static_cast<double>(hundredths(text, bold)) * fontSize / 100.0;
}

std::vector<std::string> WrapText(std::string_view text, double fontSize, bool bold, double width)
{
    std::vector<std::string> lines(1);
    const auto fits = [&](std::string_view line) {
        return TextWidth(line, fontSize, bold) <= width;
    };
    for (std::size_t begin = text.find_first_not_of(' '); begin != std::string_view::npos;) {
        const std::size_t end = std::min(text.find(' ', begin), text.size());
        std::string_view word = text.substr(begin, end - begin);
        begin = text.find_first_not_of(' ', end);
        const std::string joined = lines.back().empty() ? "" : lines.back() + " ";
        if (fits(joined + std::string(word))) {
            lines.back() = joined + std::string(word);
            continue;
        }
        if (!lines.back().empty())
            lines.emplace_back();
        // Too wide for a line of its own: as many characters as fit, then on.
        while (!fits(word)) {
            std::size_t cut = 0;
            for (std::size_t bytes = 0; cut < word.size(); cut += bytes) {
                characterWidth(word, cut, bold, bytes);
                if (cut != 0 && !fits(word.substr(0, cut + bytes)))
                    break;
            }
            if (cut == word.size()) // one character wider than a line
                break;
            lines.back() = std::string(word.substr(0, cut));
            lines.emplace_back();
            word = word.substr(cut);
        }
        lines.back() = std::string(word);
    }
    return lines;
}
