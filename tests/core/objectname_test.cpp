// Type names at run time and the text form of UUIDs.
#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <ios>
#include <sstream>
#include <string>

#include "core/ktuuid.h"
#include "core/objectname.h"

namespace IIHux {
struct Plugin {};
struct AlgorithmController {};
} // namespace IIHux
namespace c_hux {
enum parameterType { kParameterA };
enum class meterType { kMeterA };
} // namespace c_hux
struct HuxCoeffHandler {};
template <class T>
struct VX9CoeffsT {};

// An identifier of 12 * 16 = 192 characters.
#define KT_TIMES4(x) KT_TIMES4_(x)
#define KT_TIMES4_(x) x##x##x##x
#define KT_TEXT(x) KT_TEXT_(x)
#define KT_TEXT_(x) #x
#define KT_LONG_NAME KT_TIMES4(KT_TIMES4(LongTypeName))
struct KT_LONG_NAME {};

namespace {

// The name and the length byte stored just before it.
template <class T>
void ExpectName(const std::string& expected)
{
    const char* name = Kt::ParseObjectName<T>();
    EXPECT_EQ(std::string(name), expected);
    EXPECT_EQ(static_cast<unsigned char>(name[-1]), expected.size());
    EXPECT_EQ(Kt::ParseObjectName<T>(), name);
    EXPECT_EQ(Kt::ParseObjectName(static_cast<T*>(nullptr)), name);
}

} // namespace

TEST(ParseObjectName, NamesAndLengths)
{
    ExpectName<IIHux::Plugin>("IIHux::Plugin");
    ExpectName<IIHux::AlgorithmController>("IIHux::AlgorithmController");
    ExpectName<VX9CoeffsT<HuxCoeffHandler>>("VX9CoeffsT<struct HuxCoeffHandler");
    ExpectName<c_hux::parameterType>("");
    ExpectName<c_hux::meterType>("");

    // A longer name keeps its first 127 characters.
    const std::string full = KT_TEXT(KT_LONG_NAME);
    ASSERT_EQ(full.size(), 192u);
    ExpectName<KT_LONG_NAME>(full.substr(0, 127));
}

TEST(KtUuid, TextForm)
{
    KtUuid uuid;
    KtUuid high;
    for (int i = 0; i < 16; ++i) {
        uuid.bytes[i] = static_cast<std::uint8_t>(i);
        high.bytes[i] = static_cast<std::uint8_t>(0x11 * i);
    }
    const std::string text = "00010203-0405-0607-0809-0a0b0c0d0e0f";
    std::ostringstream out;
    out << high;
    EXPECT_EQ(out.str(), "00112233-4455-6677-8899-aabbccddeeff");

    // Padding only beyond 36 characters; base, fill and flags stay as set before.
    out.str("");
    out << std::hex << std::uppercase << std::setfill('*');
    out << std::setw(40) << uuid << '|' << std::left << std::setw(39) << uuid << '|' << std::right
        << std::setw(36) << uuid << '|' << std::setw(8) << uuid << '|';
    EXPECT_EQ(out.str(), "****" + text + '|' + text + "***|" + text + '|' + text + '|');
    const std::ios::fmtflags flags = out.flags();
    out << uuid << std::setw(4) << 255;
    EXPECT_EQ(out.flags(), flags);
    EXPECT_EQ(out.str().substr(out.str().size() - 4), "**FF");
}
