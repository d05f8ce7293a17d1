// Round trips of a real Japanese passage, and (natively) our conversions
// against the C library's iconv for the characters both cover.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "JisCharacter.h"
#include "TextConversions.h"
#include "jconvert.h"

#ifndef _WIN32
#include <iconv.h>

#include <optional>
#endif

namespace imvexa {
namespace {

// Kanji, hiragana, katakana and ASCII over two lines, with Shift_JIS trail
// bytes 0x5C among them (表, ソ).
constexpr std::string_view kMainUtf8 =
    "雨の日曜日、駅前の古本屋で「日本語表示の歴史」という本を見つけた。\r\n"
    "ソフトウェアの説明書も一冊買った。Imvexa 0.1 (test) は、漢字・ひらがな・カタカナを正しく表示できるだろうか？\r\n";
constexpr std::string_view kMainSjis =
    "\x89J\x82\xCC\x93\xFA\x97j\x93\xFA\x81\x41\x89w\x91O\x82\xCC\x8C\xC3\x96{\x89\xAE\x82"
    "\xC5\x81u\x93\xFA\x96{\x8C\xEA\x95\x5C\x8E\xA6\x82\xCC\x97\xF0\x8Ej\x81v\x82\xC6\x82\xA2"
    "\x82\xA4\x96{\x82\xF0\x8C\xA9\x82\xC2\x82\xAF\x82\xBD\x81\x42\x0D\x0A\x83\x5C\x83t\x83g"
    "\x83\x45\x83\x46\x83\x41\x82\xCC\x90\xE0\x96\xBE\x8F\x91\x82\xE0\x88\xEA\x8D\xFB\x94\x83"
    "\x82\xC1\x82\xBD\x81\x42Imvexa 0.1 (test) \x82\xCD\x81\x41\x8A\xBF\x8E\x9A\x81\x45\x82"
    "\xD0\x82\xE7\x82\xAA\x82\xC8\x81\x45\x83J\x83^\x83J\x83i\x82\xF0\x90\xB3\x82\xB5\x82\xAD"
    "\x95\x5C\x8E\xA6\x82\xC5\x82\xAB\x82\xE9\x82\xBE\x82\xEB\x82\xA4\x82\xA9\x81H\x0D\x0A";

// Half-width katakana with voiced and semi-voiced marks: the first and last kana
// of each range that merges with them, and marks that cannot merge.
constexpr std::string_view kKanaUtf8 = "ﾃﾞｰﾀﾍﾞｰｽ､ﾊﾟﾝﾌﾚｯﾄ､ｳﾞｧｲｵﾘﾝ､ｶﾞｷﾞｸﾞｹﾞｺﾞ､ﾎﾟﾍﾟﾌﾟ､ﾄﾞﾅﾞﾎﾞﾏﾟｶﾟｱﾞ｢ｺﾗﾑ｣｡\r\n";
constexpr std::string_view kKanaSjis =
    "\xC3\xDE\xB0\xC0\xCD\xDE\xB0\xBD\xA4\xCA\xDF\xDD\xCC\xDA\xAF\xC4\xA4\xB3\xDE\xA7\xB2\xB5"
    "\xD8\xDD\xA4\xB6\xDE\xB7\xDE\xB8\xDE\xB9\xDE\xBA\xDE\xA4\xCE\xDF\xCD\xDF\xCC\xDF\xA4\xC4"
    "\xDE\xC5\xDE\xCE\xDE\xCF\xDF\xB6\xDF\xB1\xDE\xA2\xBA\xD7\xD1\xA3\xA1\x0D\x0A";

// The same line in full width: what JIS, which has no half-width katakana, makes of it.
constexpr std::string_view kKanaFullWidthUtf8 =
    "データベース、パンフレット、ヴァイオリン、ガギグゲゴ、ポペプ、ドナ゛ボマ゜カ゜ア゛「コラム」。\r\n";
constexpr std::string_view kKanaFullWidthSjis =
    "\x83\x66\x81[\x83^\x83x\x81[\x83X\x81\x41\x83p\x83\x93\x83t\x83\x8C\x83\x62\x83g\x81\x41"
    "\x83\x94\x83@\x83\x43\x83I\x83\x8A\x83\x93\x81\x41\x83K\x83M\x83O\x83Q\x83S\x81\x41\x83|"
    "\x83y\x83v\x81\x41\x83h\x83i\x81J\x83{\x83}\x81K\x83J\x81K\x83\x41\x81J\x81u\x83R\x83"
    "\x89\x83\x80\x81v\x81\x42\x0D\x0A";

std::string Join(std::string_view a, std::string_view b) { return std::string(a) + std::string(b); }

const std::string kPassageSjis = Join(kMainSjis, kKanaSjis);
const std::string kPassageFullWidthSjis = Join(kMainSjis, kKanaFullWidthSjis);

TEST(JapanesePassageTest, RoundTripsThroughEuc) {
    ASSERT_EQ(DetectTextCode(kPassageSjis), TextCodeSjis);
    const std::string euc = ConvertTextCode(kPassageSjis, TextCodeEuc);
    ASSERT_EQ(DetectTextCode(euc), TextCodeEuc);
    EXPECT_EQ(ConvertTextCode(euc, TextCodeSjis), kPassageSjis);
}

TEST(JapanesePassageTest, RoundTripsThroughJisWithKanaInFullWidth) {
    const std::string jis = ConvertTextCode(kPassageSjis, TextCodeJis);
    ASSERT_EQ(DetectTextCode(jis), TextCodeJis);
    EXPECT_EQ(ConvertTextCode(jis, TextCodeSjis), kPassageFullWidthSjis);
    EXPECT_EQ(ConvertTextCode(jis, TextCodeEuc), ConvertTextCode(kPassageFullWidthSjis, TextCodeEuc));
    EXPECT_EQ(ConvertTextCode(ConvertTextCode(kPassageSjis, TextCodeEuc), TextCodeJis), jis);
}

#ifndef _WIN32

// The text converted by iconv, or nothing when iconv cannot convert all of it.
std::optional<std::string> Iconv(const char* to, const char* from, std::string_view text) {
    const iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outNext = out.data();
    std::size_t outLeft = out.size();
    constexpr std::size_t failed = static_cast<std::size_t>(-1);
    bool ok = iconv(converter, &in, &inLeft, &outNext, &outLeft) != failed;
    ok = ok && iconv(converter, nullptr, nullptr, &outNext, &outLeft) != failed;  // closes a shift state
    iconv_close(converter);
    if (!ok) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

TEST(JapanesePassageIconvTest, EucMatchesIconv) {
    const auto iconvEuc = Iconv("EUC-JP", "UTF-8", Join(kMainUtf8, kKanaUtf8));
    ASSERT_TRUE(iconvEuc);
    EXPECT_EQ(ConvertTextCode(kPassageSjis, TextCodeEuc), *iconvEuc);
    EXPECT_EQ(ConvertTextCode(*iconvEuc, TextCodeSjis), kPassageSjis);
}

TEST(JapanesePassageIconvTest, JisMatchesIconv) {
    const std::string ourJis = ConvertTextCode(kPassageSjis, TextCodeJis);
    EXPECT_EQ(Iconv("UTF-8", "ISO-2022-JP", ourJis), Join(kMainUtf8, kKanaFullWidthUtf8));
    const auto iconvJis = Iconv("ISO-2022-JP", "UTF-8", Join(kMainUtf8, kKanaFullWidthUtf8));
    ASSERT_TRUE(iconvJis);
    EXPECT_EQ(ConvertTextCode(*iconvJis, TextCodeSjis), kPassageFullWidthSjis);
}

TEST(JapanesePassageIconvTest, EveryHalfWidthKanaBecomesItsFullWidthForm) {
    std::string kana;
    for (int byte = 0xA1; byte <= 0xDF; ++byte) kana += static_cast<char>(byte);
    EXPECT_EQ(Iconv("UTF-8", "ISO-2022-JP", SjisToJis(kana)),
              "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜");
}

TEST(JapanesePassageIconvTest, EveryJisX0208CharacterMatchesIconvAndRoundTrips) {
    int compared = 0;
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            const BytePair jis{static_cast<std::uint8_t>(j1), static_cast<std::uint8_t>(j2)};
            const char euc[] = {static_cast<char>(j1 | 0x80), static_cast<char>(j2 | 0x80)};
            const auto expected = Iconv("SHIFT_JIS", "EUC-JP", std::string_view(euc, 2));
            if (!expected) continue;  // a code point iconv leaves unassigned
            const BytePair sjis = JisToSjisPair(jis.first, jis.second);
            EXPECT_EQ(*expected, std::string({static_cast<char>(sjis.first), static_cast<char>(sjis.second)}))
                << std::hex << j1 << ' ' << j2;
            EXPECT_EQ(SjisToJisPair(sjis.first, sjis.second), jis) << std::hex << j1 << ' ' << j2;
            ++compared;
        }
    }
    EXPECT_GT(compared, 6800);
}

#endif  // _WIN32

}  // namespace
}  // namespace imvexa
