#include "ktresult.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t kMaxText = KtResult::kMessageCapacity - 1;
}

void KtResult::setMessage(const char* text)
{
    message[0] = '\0';
    if (text != nullptr)
        appendMessage(text);
}

void KtResult::appendMessage(const std::string& text)
{
    const std::size_t used = std::strlen(message);
    const std::size_t n = std::min(text.size(), kMaxText - used);
    std::memcpy(message + used, text.data(), n);
    message[used + n] = '\0';
}

void KtResult::copyFrom(const KtResult& other)
{
    file = other.file;
    line = other.line;
    code = other.code;
    const char* stop = std::find(other.message, other.message + kMaxText, '\0');
    message[0] = '\0';
    appendMessage(std::string(other.message, stop));
}

KtR KtNamedCode(const char* message)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char* p = message; *p != '\0'; ++p) {
        hash ^= static_cast<unsigned char>(*p);
        hash *= 0x100000001b3ull;
    }
    return static_cast<KtR>(static_cast<std::uint32_t>(hash) & 0x7fffffffu);
}

KtResult KtNamedResult(const char* message)
{
    KtResult result;
    result.code = KtNamedCode(message);
    result.setMessage(message);
    return result;
}

KtException::KtException(const char* text, const char* sourceFile, std::uint32_t sourceLine)
{
    setMessage(text);
    file = sourceFile;
    line = sourceLine;
    code = -1;
    if (sourceFile == nullptr)
        return;
    appendMessage(" @ ");
    appendMessage(Kt::ShownPath(sourceFile));
    appendMessage(":");
    appendMessage(std::to_string(sourceLine));
}

namespace Kt {

const char* ShownPath(const char* file)
{
    const char* up = std::strstr(file, "../");
    return up != nullptr ? up + 2 : file;
}

std::string ReportHead(const char* expressionText)
{
    if (std::strcmp(expressionText, "0") == 0)
        return "\n| throw: ";
    return std::string("\n| '") + expressionText + "' assertion failed. ";
}

std::string ReportTail(const char* file, std::uint32_t line)
{
    if (file == nullptr)
        return {};
    const std::string shown = ShownPath(file);
    return "\n+" + std::string(shown.size() + 7, '-') + "\n| " + shown + ":" + std::to_string(line);
}

void RaiseReport(const std::string& report, const char* file, std::uint32_t line)
{
    std::cout << report << std::endl << std::endl;
    throw KtException(report.c_str(), file, line);
}

} // namespace Kt
