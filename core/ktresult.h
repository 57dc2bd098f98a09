// Result records, the system's exception, and the failure report.
//
// Every failing operation reports through KtResultT<KtResultLocation, KtR>:
// a source location, a code and a short message. KtException carries the same
// record, so a failure raised deep inside can be handed back as a plain record
// at an interface boundary. Raising goes through KtFail, which prints a report
// to standard output first.
#pragma once

#include <cstdint>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>

#include "ssprintf.h"

using KtR = std::int32_t;

struct KtResultLocation {
    const char* file = nullptr; // static source path, not owned; null: no location
    std::uint32_t line = 0;
};

namespace Kt {
struct Typed {};
template <std::uint8_t TypeId>
struct TypedT : Typed {};
} // namespace Kt

namespace KtSerialize {
template <class T, class Tag>
struct Base : Kt::TypedT<23> {};
template <class T, int Version, class Tag>
struct Versioned : Base<T, Tag> {};
} // namespace KtSerialize

template <class Location, class Code>
struct KtResultT;

// The result record. The serialization markers are empty bases: they carry
// neither data nor virtual operations.
template <>
struct KtResultT<KtResultLocation, KtR> : KtResultLocation,
                                          KtSerialize::Versioned<KtResultT<KtR, KtR>, 1, KtR> {
    static constexpr std::size_t kMessageCapacity = 112; // 111 characters and the terminator

    KtR code = 0;
    char message[kMessageCapacity] = {};

    KtResultT() = default;
    KtResultT(const KtResultT& other) { copyFrom(other); }
    KtResultT& operator=(const KtResultT& other)
    {
        if (this != &other)
            copyFrom(other);
        return *this;
    }

    // Stores text cut to 111 characters; null stores an empty text.
    void setMessage(const char* text);
    // Appends as much of text as fits within 111 characters.
    void appendMessage(const std::string& text);

private:
    void copyFrom(const KtResultT& other);
};

using KtResult = KtResultT<KtResultLocation, KtR>;

// The success record: no location, code 0, empty message.
inline KtResult KtSuccess()
{
    return KtResult{};
}

// A named result: no location, the code derived from the message (KtNamedCode).
KtResult KtNamedResult(const char* message);

// 64-bit FNV-1a of the text, low 32 bits, bit 31 cleared.
KtR KtNamedCode(const char* message);

// Every unit that includes this header holds its own copy, built at start-up.
static const KtResult kKtUuidIsExtant = KtNamedResult("UUID is extant");

class KtException : public std::exception, public KtResult {
public:
    KtException(const char* message, const char* file, std::uint32_t line);
    const char* what() const noexcept override { return message; }
};

namespace Kt {

// The path as reports show it: from the "/" of the first "../" when there is one.
const char* ShownPath(const char* file);

// Prints the finished report (and two line ends) to standard output and throws.
[[noreturn]] void RaiseReport(const std::string& report, const char* file, std::uint32_t line);

std::string ReportHead(const char* expressionText);
std::string ReportTail(const char* file, std::uint32_t line);

} // namespace Kt

// Formats the failure report with SSPrintF, prints it and throws KtException.
// An SSPrintF error is thrown instead, before anything is printed.
template <class... Args>
[[noreturn]] void KtFail(const char* expressionText, const char* file, std::uint32_t line,
                         const char* format, Args&&... args)
{
    std::ostringstream report;
    report << Kt::ReportHead(expressionText);
    if (format != nullptr)
        SSPrintF(report, format, std::forward<Args>(args)...);
    report << Kt::ReportTail(file, line);
    Kt::RaiseReport(report.str(), file, line);
}
