// libFuzzer target: arbitrary bytes as a received message.
//
// Every lookup, every read<T>/readArray<T>, nested messages and the dump run
// over each input. KtException is the reader's way of rejecting bad bytes and
// is expected; anything else escaping, a crash, a sanitizer report, a hang or
// a leak is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "core/ktresult.h"
#include "fuzz/anyvalue.h"
#include "missive/source/serialization/missive.h"
#include "missive/source/serialization/missivedump.h"

namespace {

// Values are consumed so that the reads cannot be optimised away.
volatile std::size_t gSink = 0;

void readEverything(const MissiveCursor& cursor, int depth);

void readNested(const MissiveCursor& cursor, int depth)
{
    if (depth >= 3)
        return;
    std::vector<MissiveSpan> nested;
    Tolerate<KtException>([&] { nested = readMissives(cursor); });
    for (const MissiveSpan& span : nested) {
        Tolerate<KtException>([&] { readEverything(MissiveFindDefault(span), depth + 1); });
        Tolerate<KtException>(
            [&] { readEverything(MissiveFind(span, std::string_view("bpm")), depth + 1); });
        Tolerate<KtException>(
            [&] { readEverything(MissiveFind(span, std::uint32_t{1}), depth + 1); });
    }
}

void readEverything(const MissiveCursor& cursor, int depth)
{
    Tolerate<KtException>([&] { gSink = gSink + (read<double>(cursor) != 0.0 ? 1 : 0); });
    Tolerate<KtException>([&] { gSink = gSink + (read<bool>(cursor) ? 1 : 0); });
    Tolerate<KtException>([&] { gSink = gSink + read<std::string>(cursor).size(); });
    Tolerate<KtException>([&] { gSink = gSink + readArray<double>(cursor).size(); });
    Tolerate<KtException>([&] { gSink = gSink + readArray<bool>(cursor).size(); });
    Tolerate<KtException>([&] {
        for (const std::string& text : readArray<std::string>(cursor))
            gSink = gSink + text.size();
    });
    readNested(cursor, depth);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Missive message;
    message.assign(data, size);

    // Keys of the vocabulary, plus keys taken from the input itself so the
    // fuzzer can steer lookups towards records it has built.
    static const char* const kNames[] = {"bpm", "name", "", "needsSessionTempo", "feedbackGain"};
    for (const char* name : kNames)
        Tolerate<KtException>([&] { readEverything(message.find(std::string(name)), 0); });

    const std::size_t keyLength = std::min<std::size_t>(size, 16);
    const std::string inputKey(reinterpret_cast<const char*>(data), keyLength);
    Tolerate<KtException>([&] { readEverything(message.find(inputKey), 0); });

    std::uint32_t inputNumber = 0;
    std::memcpy(&inputNumber, data, std::min<std::size_t>(size, sizeof inputNumber));
    for (std::uint32_t number : {0u, 1u, 0x62706D00u, inputNumber})
        Tolerate<KtException>([&] { readEverything(message.find(number), 0); });

    Tolerate<KtException>([&] { readEverything(message.findDefault(), 0); });

    // A copy must hold the same bytes.
    const Missive copy(message);
    Require(copy.size() == message.size() &&
            (size == 0 || std::memcmp(copy.data(), message.data(), size) == 0));

    for (bool compact : {false, true}) {
        std::ostringstream text; // formatted, then dropped
        MissiveDumpContext context{text, compact};
        Tolerate<KtException>(
            [&] { dumpRecords(context, message.data(), message.data() + message.size(), 0); });
    }
    return 0;
}
