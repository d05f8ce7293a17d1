// Random text through the Japanese encoding detection and every conversion.
// libFuzzer hands over a buffer of exactly the input's size, so the sanitizers
// report any read past the end of the text. Well-formed Shift_JIS must also
// survive the trip through EUC-JP, and through JIS when it has no half-width
// katakana (JIS turns them into full-width ones).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "TextBytes.h"
#include "TextConversions.h"
#include "jconvert.h"

namespace {

using namespace imvexa;

// Only 7-bit bytes other than ESC, half-width katakana (when allowed) and
// JIS X 0208 characters.
bool IsWellFormedSjis(std::string_view text, bool kanaAllowed) {
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const std::uint8_t byte = ByteAt(text, pos);
        if (byte == Esc) return false;
        if (byte < 0x80) continue;
        if (IsHalfWidthKana(byte)) {
            if (!kanaAllowed) return false;
            continue;
        }
        const std::uint8_t trail = ByteAt(text, ++pos);
        const bool validLead = InRange(byte, 0x81, 0x9F) || InRange(byte, 0xE0, 0xEF);
        const bool validTrail =
            pos < text.size() && (InRange(trail, 0x40, 0x7E) || InRange(trail, 0x80, 0xFC));
        if (!validLead || !validTrail) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    DetectTextCode(text);
    for (const TextCode target : {TextCodeUnknown, TextCodeJis, TextCodeEuc, TextCodeSjis}) {
        ConvertTextCode(text, target);
    }
    // Directly as well: detection alone would route only matching texts to each.
    for (const auto convert : {JisToEuc, JisToSjis, EucToJis, EucToSjis, SjisToJis, SjisToEuc}) {
        convert(text);
    }

    if (IsWellFormedSjis(text, true) && EucToSjis(SjisToEuc(text)) != text) std::abort();
    if (IsWellFormedSjis(text, false) && JisToSjis(SjisToJis(text)) != text) std::abort();
    return 0;
}
