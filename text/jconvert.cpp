#include "jconvert.h"

#include "TextConversions.h"

namespace imvexa {

namespace {

bool IsJis(TextCode code) { return code == TextCodeJis || code == TextCodeJisOld; }

}  // namespace

std::string ConvertTextCode(std::string_view text, TextCode target) {
    const TextCode source = DetectTextCode(text);
    const bool undecided =
        source == TextCodeUnknown || source == TextCodeBinary || source == TextCodeEucOrSjis;
    if (undecided || source == target) return std::string(text);

    switch (target) {
    case TextCodeJis:
        // Old JIS text is left as it is: its escapes are kept, not rewritten.
        if (source == TextCodeEuc) return EucToJis(text);
        if (source == TextCodeSjis) return SjisToJis(text);
        break;
    case TextCodeEuc:
        if (IsJis(source)) return JisToEuc(text);
        if (source == TextCodeSjis) return SjisToEuc(text);
        break;
    case TextCodeSjis:
        if (IsJis(source)) return JisToSjis(text);
        if (source == TextCodeEuc) return EucToSjis(text);
        break;
    default:
        break;
    }
    return std::string(text);
}

}  // namespace imvexa
