// VST3 strings (UTF-16, at most 128 units with the terminator) to and from
// the UTF-8 the plug-in's descriptions use.
#pragma once

#include <string>
#include <string_view>

#include "pluginterfaces/base/ftypes.h"
#include "pluginterfaces/vst/vsttypes.h"

// [any] no throw: as much of text as fits, always terminated; an invalid
// byte becomes U+FFFD.
void CopyText(std::string_view text, Steinberg::Vst::TChar* to, std::size_t capacity);

template <std::size_t N>
void CopyText(std::string_view text, Steinberg::Vst::TChar (&to)[N])
{
    CopyText(text, to, N);
}

// [any] allocates: a terminated UTF-16 string (a null pointer reads as
// empty) as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8Text(const Steinberg::Vst::TChar* text);
