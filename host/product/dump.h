// Where the tape delay's class adds its diagnostic dump: right after the
// plug-in interface's own operations, for the plug-in with its "huxId".
#pragma once

#include "host/runtime/plugindump.h"

inline constexpr DumpOperation kTapeDelayDump{{{0x35, 0x99, 0xf7, 0x3e, 0x9b, 0xa6, 0x43, 0xea,
                                                0xbf, 0xa2, 0x22, 0x7f, 0xbd, 0x29, 0xe8, 0x2b}},
                                              22};
