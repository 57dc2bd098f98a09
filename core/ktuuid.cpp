#include "ktuuid.h"

#include <string>

std::ostream& operator<<(std::ostream& out, const KtUuid& uuid)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < uuid.bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += kDigits[uuid.bytes[i] >> 4];
        text += kDigits[uuid.bytes[i] & 0xf];
    }
    // Inserting a string pads it by the stream's width, fill and adjustment,
    // and resets only the width, as every formatted insertion does.
    return out << text;
}
