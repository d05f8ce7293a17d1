// Text files through the extractor: the framed page and its text, from the
// generated sample files, in the Japanese code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "RuntimeErrors.h"
#include "TextPage.h"
#include "Thumbnail.h"
#include "WindowsTestSupport.h"

namespace imvexa {
namespace {

const COLORREF kFrame = RGB(214, 211, 214);

std::wstring Sample(const std::string& name) { return WidePath(IMVEXA_SAMPLES_DIR "\\" + name); }

// The thumbnail of a sample as 24-bit top-down rows.
struct Page {
    explicit Page(const std::string& name) {
        HBITMAP bitmap = ExtractThumbnail(Sample(name), "TXT");
        EXPECT_NE(bitmap, nullptr);
        if (!bitmap) return;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 120, -120, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        pixels.resize(120 * 360);
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, bitmap, 0, 120, pixels.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        DeleteObject(bitmap);
    }
    COLORREF At(int x, int y) const {
        const BYTE* p = &pixels[static_cast<std::size_t>(y * 360 + x * 3)];
        return RGB(p[2], p[1], p[0]);
    }
    // Rows inside the frame that hold something other than the page colour.
    std::vector<int> InkedRows() const {
        std::vector<int> rows;
        for (int y = 1; y < 119; ++y)
            for (int x = 1; x < 119; ++x)
                if (At(x, y) != GetSysColor(COLOR_INFOBK)) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    }
    std::vector<BYTE> pixels;
};

TEST(TextPageTest, DrawsAFramedPageInTheTooltipColours) {
    const Page page("hello.txt");
    for (int i = 0; i < 120; ++i) {
        EXPECT_EQ(page.At(i, 0), kFrame);
        EXPECT_EQ(page.At(i, 119), kFrame);
        EXPECT_EQ(page.At(0, i), kFrame);
        EXPECT_EQ(page.At(119, i), kFrame);
    }
    EXPECT_EQ(page.At(110, 110), GetSysColor(COLOR_INFOBK));
}

TEST(TextPageTest, BreaksLinesAtLineEnds) {
    const std::vector<int> rows = Page("hello.txt").InkedRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_LE(rows.front(), 6);  // the text starts at the top of the inner area
    int bands = 1;
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rows[i] != rows[i - 1] + 1) ++bands;
    EXPECT_EQ(bands, 2);  // "hello" and "abc"
}

TEST(TextPageTest, EveryJapaneseEncodingGivesTheSamePage) {
    const Page sjis("japanese_sjis.txt");
    EXPECT_FALSE(sjis.InkedRows().empty());
    for (const char* other : {"japanese_euc.txt", "japanese_jis.txt", "japanese_utf16.txt"})
        EXPECT_TRUE(Page(other).pixels == sjis.pixels) << other;
}

TEST(TextPageTest, EmptyFilesGiveTheEmptyPage) {
    for (const char* name : {"empty.txt", "bom_only.txt"}) {
        const Page page(name);
        EXPECT_TRUE(page.InkedRows().empty()) << name;
        EXPECT_EQ(page.At(0, 0), kFrame) << name;
    }
}

TEST(TextPageTest, AFileThatCannotBeOpenedFails) {
    HANDLE locked = CreateFileW(Sample("hello.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_THROW(ExtractThumbnail(Sample("hello.txt"), "TXT"), Exception);
    CloseHandle(locked);
}

TEST(TextPageContentTest, ChoosesTheTextToDraw) {
    EXPECT_EQ(TextPageContent(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(TextPageContent(std::string("\xFF\xFE" "A\0B\0\0\0C\0", 10)), "AB");
    // Big-endian UTF-16 is not recognised: its bytes end at the first zero byte.
    EXPECT_EQ(TextPageContent(std::string("\xFE\xFF\0A", 4)).size(), 2u);
    EXPECT_EQ(TextPageContent(std::string("\x1B$B$\"\x1B(B", 8)), "\x82\xA0");  // JIS becomes Shift_JIS
    // A JIS pair whose Shift_JIS form has a zero trail byte ends the text there.
    EXPECT_EQ(TextPageContent("AB" "\x1B$B" "\x22\x82" "\x1B(B" "tail"), "AB\x81");
}

}  // namespace
}  // namespace imvexa
