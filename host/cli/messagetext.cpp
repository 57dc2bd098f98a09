#include "messagetext.h"

std::string ValueText(const MissiveCursor& cursor)
{
    static constexpr MissiveTextStyle kStyle{", ", "; ", ": ", false, false, FormatNumber};
    return MissiveValueText(cursor, kStyle);
}
