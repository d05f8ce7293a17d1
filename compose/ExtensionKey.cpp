#include "ExtensionKey.h"

#include "AsciiCase.h"

namespace imvexa {

std::string ExtensionKey(const std::string& path, bool (*isLeadByte)(unsigned char)) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (isLeadByte(static_cast<unsigned char>(c)) && i + 1 < path.size())
            ++i;
        else if (c == '.' || c == '\\' || c == ':')
            last = i;
    }
    if (last == std::string::npos || path[last] != '.') return {};
    return WithAsciiCase(path.substr(last + 1), LetterCase::Upper, isLeadByte);
}

}  // namespace imvexa
