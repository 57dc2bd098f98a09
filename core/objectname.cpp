#include "objectname.h"

namespace Kt::detail {

std::string_view CutObjectName(std::string_view signature)
{
    std::size_t start = signature.find("<struct ");
    if (start != std::string_view::npos) {
        start += 8;
    } else {
        start = signature.find("<class ");
        if (start == std::string_view::npos)
            return {};
        start += 7;
    }
    const std::size_t stop = signature.find('>', start);
    if (stop == std::string_view::npos)
        return {};
    return signature.substr(start, std::min<std::size_t>(stop - start, 127));
}

void StoreObjectName(unsigned char (&buffer)[129], std::string_view name)
{
    buffer[0] = static_cast<unsigned char>(name.size());
    if (!name.empty())
        std::memcpy(buffer + 1, name.data(), name.size());
    buffer[1 + name.size()] = 0;
}

} // namespace Kt::detail
