// Kt::ParseObjectName<T>: the name of a type as text at run time.
//
// The name is cut out of a signature text of the form
//   const char *__cdecl Kt::ParseObjectName<KIND TYPE>(KIND TYPE *)
// where KIND is struct, class or enum and template arguments carry their own
// kind words. Our compilers do not write that text, so it is composed here
// from the type: the compiler's own spelling of each name, and "struct " (or
// "enum ") before every class or enumeration argument. The registry keys and
// message type names depend on the exact result, e.g.
//   IIHux::Plugin                      -> "IIHux::Plugin"
//   VX9CoeffsT<HuxCoeffHandler>        -> "VX9CoeffsT<struct HuxCoeffHandler"
//   an enumeration                     -> ""
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace Kt {

namespace detail {

// The compiler's spelling of T, taken from this function's own signature.
template <class T>
constexpr std::string_view CompilerTypeName()
{
#if defined(__clang__)
    constexpr std::string_view text = __PRETTY_FUNCTION__; // "... [T = NAME]"
    constexpr std::string_view lead = "[T = ";
#elif defined(__GNUC__)
    constexpr std::string_view text = __PRETTY_FUNCTION__; // "... [with T = NAME; ...]"
    constexpr std::string_view lead = "[with T = ";
#else
#error "Kt::ParseObjectName needs the signature text of a supported compiler"
#endif
    constexpr std::size_t start = text.find(lead) + lead.size();
    constexpr std::size_t stop = text.find_first_of(";]", start);
    return text.substr(start, stop - start);
}

template <class T>
struct SignatureType {
    static std::string text() { return std::string(CompilerTypeName<T>()); }
};

template <class T>
std::string KindWord()
{
    if constexpr (std::is_enum_v<T>)
        return "enum ";
    else if constexpr (std::is_class_v<T> || std::is_union_v<T>)
        return "struct ";
    else
        return "";
}

// A class template instance: the template's name, then each type argument
// with its kind word.
template <template <class...> class Template, class... Args>
struct SignatureType<Template<Args...>> {
    static std::string text()
    {
        const std::string_view full = CompilerTypeName<Template<Args...>>();
        std::string out(full.substr(0, full.find('<')));
        out += '<';
        const char* separator = "";
        ((out += separator, out += KindWord<Args>(), out += SignatureType<Args>::text(),
          separator = ","),
         ...);
        out += '>';
        return out;
    }
};

// Cuts the name out of a signature text: after the first "<struct " (else
// "<class ") up to the next ">", at most 127 characters; empty otherwise.
std::string_view CutObjectName(std::string_view signature);

// Fills a name buffer: length byte, up to 127 characters, terminating 0.
void StoreObjectName(unsigned char (&buffer)[129], std::string_view name);

} // namespace detail

template <class T>
std::string ObjectSignature()
{
    const std::string type = detail::KindWord<T>() + detail::SignatureType<T>::text();
    return "const char *__cdecl Kt::ParseObjectName<" + type + ">(" + type + " *)";
}

// Returns the name of T; the byte before the returned pointer holds its length.
template <class T>
const char* ParseObjectName(T* = nullptr)
{
    static const unsigned char* const buffer = [] {
        static unsigned char storage[129] = {};
        detail::StoreObjectName(storage, detail::CutObjectName(ObjectSignature<T>()));
        return storage;
    }();
    return reinterpret_cast<const char*>(buffer + 1);
}

} // namespace Kt
