#include <gtest/gtest.h>

#include <string>

#include "jconvert.h"

namespace imvexa {
namespace {

struct DetectCase {
    const char* name;
    std::string text;
    TextCode expected;
};

// A row prints as its name, in test names and failure messages.
void PrintTo(const DetectCase& row, std::ostream* out) { *out << row.name; }

// ASCII filler with one byte placed at a 1-based position.
std::string WithByteAt(std::size_t position, char byte, std::size_t size = 1000) {
    std::string text(size, 'a');
    text[position - 1] = byte;
    return text;
}

class DetectTextCodeTest : public testing::TestWithParam<DetectCase> {};

TEST_P(DetectTextCodeTest, Detects) { EXPECT_EQ(DetectTextCode(GetParam().text), GetParam().expected); }

const DetectCase kDetectCases[] = {
    {"Empty", "", TextCodeUnknown},
    {"OneByteIsTooShort", "\xF0", TextCodeUnknown},
    {"SevenBitText", "Hello, world\r\n", TextCodeUnknown},
    {"LastByteIsNeverAFirstByte", "abc\xF0", TextCodeUnknown},
    {"BinaryInHead", WithByteAt(300, '\x01'), TextCodeBinary},
    {"BinaryPastHeadFoundLater", WithByteAt(600, '\x01'), TextCodeBinary},
    {"DecisionBeforeBinaryPastHead", "\x82\xA0" + WithByteAt(600, '\x01'), TextCodeSjis},
    {"BinaryOnlyAsLastByte", "abc\x01", TextCodeUnknown},
    {"JisEscape", "abc\x1B$B0!\x1B(B", TextCodeJis},
    {"OldJisEscape", "abc\x1B$@0!\x1B(B", TextCodeJisOld},
    {"JisEscapeAfterAmbiguousPair", "\xB0\xA1 \x1B$B", TextCodeJis},
    {"SjisOnlyLead", "abc\x82\xA0", TextCodeSjis},
    {"AmbiguousPairs", "a\xB0\xA1 b\xC4\xDF", TextCodeEucOrSjis},
    {"EucTrailAfterAmbiguousPair", "\xB0\xA1\xF0\xA1", TextCodeEuc},
    {"KanaThenSjisTrail", "\xB1\x81 ", TextCodeSjis},
    {"Ss2ThenSjisTrail", "\x8E\x40", TextCodeSjis},
    {"Ss2ThenKana", "\x8E\xB6\x8E\xDE", TextCodeEucOrSjis},
    {"HighLeadThenSjisTrail", "\xE0\x40", TextCodeSjis},
    {"HighLeadThenEucTrail", "\xE0\xFD", TextCodeEuc},
    {"LookAheadFindsSjisLead", "\xB0\xE0\xA1\x9C ", TextCodeSjis},
    {"LookAheadSjisRangeEndsAt9C", "\xB0\xE0\x9D\xA1 ", TextCodeEucOrSjis},
    {"LookAheadFindsEucByte", "\xB0\xE0\xA1\xFD", TextCodeEuc},
    {"LookAheadSkipsTheByteThatEndedIt", "\xB0\xE0\x1B$B", TextCodeEucOrSjis},
};

INSTANTIATE_TEST_SUITE_P(Cases, DetectTextCodeTest, testing::ValuesIn(kDetectCases),
                         testing::PrintToStringParamName());

}  // namespace
}  // namespace imvexa
