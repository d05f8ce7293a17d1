#include "TextPage.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "AnsiText.h"
#include "Owners.h"
#include "RuntimeErrors.h"
#include "jconvert.h"

namespace imvexa {

namespace {

const COLORREF kFrameColor = RGB(214, 211, 214);

// The first min(fileSize, 1024) bytes; a short read leaves zeros.
std::string ReadHead(const std::wstring& path, std::uint64_t fileSize) {
    const win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw EFOpenError("Cannot open file \"" + AnsiText(path, WC_NO_BEST_FIT_CHARS) + "\"");
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kTextPageBytes)), '\0');
    DWORD read = 0;
    ReadFile(file.Get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr);
    return head;
}

std::string Utf16ToAnsi(const std::string& bytes) {
    std::wstring wide;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                               static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (c == 0) break;
        wide.push_back(c);
    }
    return AnsiText(wide, 0);
}

// The graphics layer's default font: 9-point "ＭＳ Ｐゴシック" on a far-east
// system whose stock font is Shift_JIS, else 8-point "MS Sans Serif"; scaled
// for a page of another size.
win32::Font CreatePageFont(HDC dc, int size) {
    LOGFONTA stock{};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof stock, &stock);
    const bool japanese = GetSystemMetrics(SM_DBCSENABLED) && stock.lfCharSet == SHIFTJIS_CHARSET;
    LOGFONTA font{};
    const int height = MulDiv(japanese ? 9 : 8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    const double scale = std::sqrt(static_cast<double>(size) / kTextPageSize);
    font.lfHeight = -std::max(1, static_cast<int>(std::lround(height * scale)));
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
    font.lfPitchAndFamily = DEFAULT_PITCH;
    std::strcpy(font.lfFaceName, japanese ? "ＭＳ Ｐゴシック" : "MS Sans Serif");
    return win32::Font(CreateFontIndirectA(&font));
}

void DrawFrame(HDC dc, const RECT& page) {
    const win32::Brush frame(CreateSolidBrush(kFrameColor));
    FrameRect(dc, &page, frame.Get());
}

void DrawPageText(HDC dc, int size, const std::string& text, RECT inside) {
    const win32::Font font = CreatePageFont(dc, size);
    const win32::SelectedObject selected(dc, font.Get());
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &inside, DT_WORDBREAK);
}

}  // namespace

std::string TextPageContent(const std::string& head) {
    std::string text;
    if (head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0xFF && static_cast<unsigned char>(head[1]) == 0xFE)
        text = Utf16ToAnsi(head.substr(2));
    else
        text = ConvertTextCode(std::string_view(head.c_str()), TextCodeSjis);  // up to the first zero byte
    text.resize(std::min({text.find('\0'), text.size(), kTextPageBytes}));
    return text;
}

void DrawTextPage(HDC dc, int size, const std::string& head) {
    RECT page{0, 0, size, size};
    FillRect(dc, &page, GetSysColorBrush(COLOR_INFOBK));
    DrawFrame(dc, page);
    const std::string text = TextPageContent(head.substr(0, kTextPageBytes));
    if (text.empty()) return;
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, GetSysColor(COLOR_INFOBK));
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    DrawPageText(dc, size, text, RECT{1, 1, size - 1, size - 1});
    GdiFlush();
}

void DrawTextPage(TBitmap& thumbnail, const std::wstring& path, std::uint64_t fileSize) {
    // An empty file is not opened: its page is drawn even when it is locked.
    const std::string head = fileSize == 0 ? std::string() : ReadHead(path, fileSize);
    DrawTextPage(thumbnail.Canvas(), thumbnail.Width(), head);
}

}  // namespace imvexa
