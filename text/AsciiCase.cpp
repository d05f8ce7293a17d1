#include "AsciiCase.h"

namespace imvexa {

std::string WithAsciiCase(std::string text, LetterCase letterCase, bool (*isLeadByte)(unsigned char)) {
    const char first = letterCase == LetterCase::Upper ? 'a' : 'A';
    const char shift = letterCase == LetterCase::Upper ? 'A' - 'a' : 'a' - 'A';
    for (std::size_t i = 0; i < text.size(); ++i) {
        char& c = text[i];
        if (isLeadByte(static_cast<unsigned char>(c)))
            ++i;
        else if (c >= first && c <= first + 25)
            c = static_cast<char>(c + shift);
    }
    return text;
}

}  // namespace imvexa
