#include "kttypeid.h"

#include <array>
#include <string>

namespace {

struct TypeRow {
    KtTypeId code;
    char character;
    const char* shortName;
    const char* longName;
    std::uint8_t size;
    char pointerCharacter; // 0: no pointer form
    const char* pointerShortName;
    const char* pointerLongName;
};

constexpr TypeRow kRows[] = {
    {0, '0', "void", "", 0, '1', "ptr", "void *"},
    {1, 'C', "i8", "i8", 1, 'D', "i8*", "i8 *"},
    {2, 'k', "i16", "i16", 2, 'l', "i16*", "i16 *"},
    {3, 'i', "i32", "i32", 4, 'j', "i32*", "i32 *"},
    {4, 'I', "i64", "i64", 8, 'J', "i64*", "i64 *"},
    {5, '8', "u8", "u8", 1, '9', "u8*", "u8 *"},
    {6, 'K', "u16", "u16", 2, 'L', "u16*", "u16 *"},
    {7, 'u', "u32", "u32", 4, 'v', "u32*", "u32 *"},
    {8, 'U', "u64", "u64", 8, 'V', "u64*", "u64 *"},
    {11, 'b', "bool", "bool ", 1, 'c', "bol*", "bool *"},
    {12, 'e', "enum", "", 0, 0, "", ""},
    {13, 'f', "f32", "f32", 4, 'g', "f32*", "f32 *"},
    {14, 'F', "f64", "f64", 8, 'G', "f64*", "f64 *"},
    {15, 's', "str", "string", 0, 't', "str*", "cstr_t"},
    {19, 'B', "bin", "binary", 0, 0, "", ""},
    {20, 'M', "msv", "missive", 0, 0, "", ""},
    {21, 'S', "pod", "", 0, 'T', "pod*", "pod *"},
    {22, 'o', "obj", "object", 0, 'p', "obj*", "object *"},
    {23, 'O', "vob", "v.object", 0, 'P', "vob*", "v.object *"},
    {24, 'n', "sig", "signature", 0, 0, "", ""},
    {26, 'h', "#64", "", 0, 0, "", ""},
    {27, 'x', "uuid", "", 0, 0, "", ""},
    {28, 'm', "fun", "function", 0, 0, "", ""},
    {29, 'a', "any", "", 0, 0, "", ""},
    {30, 'd', "def", "default", 0, 0, "", ""},
};

struct TypeTable {
    std::array<char, 32> character{};
    std::array<bool, 32> hasPointerForm{};
    std::array<std::uint8_t, 32> size{};
    std::array<const char*, 128> shortName{};
    std::array<const char*, 128> longName{};

    TypeTable()
    {
        shortName.fill("");
        longName.fill("");
        for (const TypeRow& row : kRows) {
            character[row.code] = row.character;
            size[row.code] = row.size;
            setNames(row.character, row.shortName, row.longName);
            if (row.pointerCharacter != 0) {
                hasPointerForm[row.code] = true;
                setNames(row.pointerCharacter, row.pointerShortName, row.pointerLongName);
            }
        }
        for (char c : character)
            if (c != 0 && *shortName[static_cast<unsigned char>(c)] == '\0')
                throw std::string("no name for KtTypeId");
    }

    void setNames(char c, const char* shortText, const char* longText)
    {
        shortName[static_cast<unsigned char>(c)] = shortText;
        longName[static_cast<unsigned char>(c)] = longText;
    }
};

const TypeTable& table()
{
    static const TypeTable instance;
    return instance;
}

} // namespace

char charOf(KtTypeId code)
{
    const TypeTable& t = table();
    const KtTypeId base = code & KtType::kBaseMask;
    if (base == KtType::kUnknown || t.character[base] == 0)
        return '?';
    const bool pointer = (code & KtType::kPointerFlag) != 0 && t.hasPointerForm[base];
    return static_cast<char>(t.character[base] + (pointer ? 1 : 0));
}

const char* nameOf(KtTypeId code)
{
    if (code == KtType::kUnknown)
        return "unknown";
    return table().shortName[static_cast<unsigned char>(charOf(code))];
}

const char* longNameOf(KtTypeId code)
{
    return table().longName[static_cast<unsigned char>(charOf(code))];
}

std::size_t fixedSizeOf(KtTypeId code)
{
    return table().size[code & KtType::kBaseMask];
}
