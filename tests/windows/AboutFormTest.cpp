// The About box and its links on a private X server: the layout at 96 DPI,
// the links' looks under real mouse input, the shell call on the press, the
// cursor, the keys that close the box; and the icon and cursor resources of
// the built module.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "AboutFrm.h"
#include "Bitmap.h"
#include "QXPNGL.h"
#include "URLLabel.h"
#include "WindowsTestSupport.h"

using namespace imvexa;
using namespace imvexa::ui;

namespace {

constexpr COLORREF kDarkBlue = RGB(0, 51, 153);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr wchar_t kCaption[] = L"Imvexa のバージョン情報";

struct ShellCall {
    std::string verb, file, parameters, directory;
    int show;
    bool operator==(const ShellCall&) const = default;
};

std::mutex shellCallsLock;
std::vector<ShellCall> shellCalls;

HINSTANCE WINAPI RecordShellCall(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show) {
    std::lock_guard guard(shellCallsLock);
    shellCalls.push_back({verb, file, parameters, directory, show});
    return reinterpret_cast<HINSTANCE>(33);
}

std::vector<ShellCall> ShellCalls() {
    std::lock_guard guard(shellCallsLock);
    return shellCalls;
}

template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 150; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

// What a window shows, from the screen.
void Capture(HWND window, bool withFrame, TBitmap& picture) {
    RECT area{};
    withFrame ? GetWindowRect(window, &area) : GetClientRect(window, &area);
    picture.SetPixelFormat(TPixelFormat::Bit24);
    picture.SetSize(area.right - area.left, area.bottom - area.top);
    HDC dc = withFrame ? GetWindowDC(window) : GetDC(window);
    BitBlt(picture.Canvas(), 0, 0, picture.Width(), picture.Height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    GdiFlush();
}

COLORREF PixelAt(const TBitmap& picture, int x, int y) {
    const std::uint8_t* bgr = picture.ScanLine(y) + 3 * x;
    return RGB(bgr[2], bgr[1], bgr[0]);
}

// A label's text colour (its most frequent colour besides the background)
// and whether a row of that colour runs under the whole text.
struct Look {
    COLORREF color = 0;
    bool underlined = false;
    bool operator==(const Look&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Look& look) {
    return out << "RGB(" << int(GetRValue(look.color)) << "," << int(GetGValue(look.color)) << ","
               << int(GetBValue(look.color)) << ")" << (look.underlined ? " underlined" : "");
}

Look LookOf(HWND label) {
    TBitmap picture;
    Capture(label, false, picture);
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    std::map<COLORREF, int> counts;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) ++counts[PixelAt(picture, x, y)];
    counts.erase(background);
    Look look;
    int most = 0;
    for (const auto& [color, count] : counts)
        if (count > most) most = count, look.color = color;
    for (int y = 0; y < picture.Height() && !look.underlined; ++y) {
        int run = 0;
        for (int x = 0; x < picture.Width(); ++x) run += PixelAt(picture, x, y) == look.color;
        look.underlined = run >= picture.Width() * 9 / 10;
    }
    return look;
}

bool LooksLike(HWND label, Look expected) {
    return Eventually([&] { return LookOf(label) == expected; });
}

// Rectangles in the parent's client area.
RECT RectIn(HWND parent, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT ScreenPointIn(HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    return at;
}

// Puts the mouse at a screen point and waits until it stays there: events
// of the X server from before the move (the window's mapping) can still put
// it back where it was.
void MoveMouseTo(POINT at) {
    int steady = 0;
    for (int i = 0; i < 100 && steady < 5; ++i) {
        POINT now{};
        GetCursorPos(&now);
        steady = now.x == at.x && now.y == at.y ? steady + 1 : 0;
        if (!steady) SetCursorPos(at.x, at.y);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void Button(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// The About box shown modally on a thread of its own, as the settings
// dialog's button shows it.
class ShownAboutBox {
public:
    ShownAboutBox() : result_(std::async(std::launch::async, [this] { return form_.ShowModal(nullptr); })) {
        Eventually([this] {
            window_ = FindWindowW(nullptr, kCaption);
            return window_ && IsWindowVisible(window_);
        });
    }
    ~ShownAboutBox() {
        if (IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
        if (result_.valid()) result_.wait();
    }
    ShownAboutBox(const ShownAboutBox&) = delete;
    ShownAboutBox& operator=(const ShownAboutBox&) = delete;

    HWND Window() const { return window_; }
    TAboutForm& Form() { return form_; }
    bool Closed() { return result_.wait_for(std::chrono::seconds(3)) == std::future_status::ready; }
    INT_PTR Result() { return result_.get(); }

private:
    TAboutForm form_;
    HWND window_ = nullptr;
    std::future<INT_PTR> result_;
};

class AboutTest : public testing::Test {
protected:
    void SetUp() override {
        TPixelDialog::OverrideDpi(96);
        TURLLabel::OverrideShellExecute(&RecordShellCall);
        std::lock_guard guard(shellCallsLock);
        shellCalls.clear();
    }
};

TEST_F(AboutTest, ControlsSitOnTheirPixelRectanglesAt96Dpi) {
    ShownAboutBox box;
    const HWND dialog = box.Window();
    ASSERT_NE(dialog, nullptr);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 361);
    EXPECT_EQ(client.bottom, 153);

    struct Expected {
        const char* name;
        HWND control;
        RECT rect;  // right and bottom 0: the size is the text's
    };
    const Expected controls[] = {
        {"OK", GetDlgItem(dialog, IDOK), {264, 123, 353, 145}},
        {"icon", GetDlgItem(dialog, 100), {16, 16, 48, 48}},
        {"title", GetDlgItem(dialog, 101), {72, 16, 0, 0}},
        {"version", GetDlgItem(dialog, 102), {72, 32, 0, 0}},
        {"copyright", GetDlgItem(dialog, 103), {72, 48, 0, 0}},
        {"e-mail link", box.Form().EmailLink()->Handle(), {72, 80, 0, 0}},
        {"web link", box.Form().WebLink()->Handle(), {72, 96, 0, 0}},
    };
    for (const Expected& c : controls) {
        SCOPED_TRACE(c.name);
        const RECT rect = RectIn(dialog, c.control);
        EXPECT_EQ(rect.left, c.rect.left);
        EXPECT_EQ(rect.top, c.rect.top);
        if (c.rect.right) {
            EXPECT_EQ(rect.right, c.rect.right);
            EXPECT_EQ(rect.bottom, c.rect.bottom);
        } else {
            EXPECT_GT(rect.right - rect.left, 20);
            EXPECT_GE(rect.bottom - rect.top, 12);
            EXPECT_LE(rect.bottom - rect.top, 16);
        }
    }
    EXPECT_NE(SendDlgItemMessageW(dialog, 100, STM_GETICON, 0, 0), 0);
}

// Hover, leave, press, release outside and inside, with the mouse itself.
TEST_F(AboutTest, LinksTurnRedUnderTheMouseAndOpenOnThePress) {
    ShownAboutBox box;
    const HWND link = box.Form().EmailLink()->Handle();
    const HWND dialog = box.Window();
    const Look normal{kDarkBlue, true}, hot{kRed, true};
    const POINT over = ScreenPointIn(link, 5, 5), away = ScreenPointIn(dialog, 200, 20);
    EXPECT_TRUE(LooksLike(link, normal)) << LookOf(link);

    MoveMouseTo(over);
    EXPECT_TRUE(LooksLike(link, hot)) << LookOf(link);
    CURSORINFO cursor{};
    cursor.cbSize = sizeof cursor;
    EXPECT_TRUE(Eventually([&] { return GetCursorInfo(&cursor) && cursor.hCursor == LoadCursorA(GetModuleHandleW(nullptr), "HANDPOINT"); }));
    TBitmap shot;
    Capture(dialog, true, shot);
    QXPNGLE png;
    png.Assign(&shot);
    png.SaveToFile(WindowsPath(IMVEXA_ABOUT_SCREENSHOT));

    MoveMouseTo(away);
    EXPECT_TRUE(LooksLike(link, normal)) << LookOf(link);

    MoveMouseTo(over);
    Button(MOUSEEVENTF_LEFTDOWN);
    const std::vector<ShellCall> opened{{"OPEN", "mailto:imvexa@example.org", "", "", SW_SHOW}};
    EXPECT_TRUE(Eventually([&] { return ShellCalls() == opened; }));
    MoveMouseTo(away);
    Button(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(LooksLike(link, normal)) << LookOf(link);
    EXPECT_EQ(ShellCalls(), opened);

    MoveMouseTo(over);
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(LooksLike(link, hot)) << LookOf(link);
    EXPECT_TRUE(Eventually([&] { return ShellCalls().size() == 2; }));
    MoveMouseTo(away);
}

TEST_F(AboutTest, EscLeavesTheBoxOpenOkAndTheCloseBoxClose) {
    {
        ShownAboutBox box;
        PostMessageW(GetDlgItem(box.Window(), IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(GetDlgItem(box.Window(), IDOK), WM_KEYUP, VK_ESCAPE, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(IsWindow(box.Window()));
        PostMessageW(GetDlgItem(box.Window(), IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(box.Closed());
        EXPECT_EQ(box.Result(), IDOK);
    }
    {
        ShownAboutBox box;
        PostMessageW(box.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_TRUE(box.Closed());
        EXPECT_EQ(box.Result(), IDCANCEL);
    }
}

// A label of this thread, driven with window messages.
class LabelTest : public AboutTest {
protected:
    void SetUp() override {
        AboutTest::SetUp();
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 40, nullptr, nullptr,
                                  nullptr, nullptr);
        label_ = std::make_unique<TURLLabel>(parent_, 1);
        label_->SetCaption(L"http://imvexa.example.org/");
        label_->SetExecutable(true);
        UpdateWindow(parent_);
    }
    void TearDown() override {
        label_.reset();
        DestroyWindow(parent_);
    }
    void Send(UINT message, int x, int y) {
        SendMessageW(label_->Handle(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }
    bool NeedsPainting() { return GetUpdateRect(label_->Handle(), nullptr, FALSE) != FALSE; }

    HWND parent_ = nullptr;
    std::unique_ptr<TURLLabel> label_;
};

TEST_F(LabelTest, WithoutHotTrackKeepsItsLookButStillOpens) {
    label_->SetHotTrack(false);
    const COLORREF color = label_->FontColor();
    for (const UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSELEAVE}) {
        Send(message, 2, 2);
        EXPECT_EQ(label_->FontColor(), color) << std::hex << message;
        EXPECT_FALSE(label_->FontStyle().underline) << std::hex << message;
    }
    EXPECT_EQ(ShellCalls(), (std::vector<ShellCall>{{"OPEN", "http://imvexa.example.org/", "", "", SW_SHOW}}));
}

// A press that came without a mouse move returns to the label's own look.
TEST_F(LabelTest, PressWithoutAMoveReturnsToTheOwnLookWhenReleasedOutside) {
    label_->SetFontColor(kDarkBlue);
    Send(WM_LBUTTONDOWN, 2, 2);
    EXPECT_EQ(label_->FontColor(), label_->PushedColor());
    Send(WM_LBUTTONUP, -5, -5);
    EXPECT_EQ(label_->FontColor(), kDarkBlue);
    EXPECT_EQ(label_->FontStyle(), TFontStyles{});
}

TEST_F(LabelTest, LeavingRestoresTheOwnLookAfterHotTrackWasTurnedOff) {
    label_->SetFontColor(kDarkBlue);
    Send(WM_MOUSEMOVE, 2, 2);
    EXPECT_EQ(label_->FontColor(), label_->HotColor());
    label_->SetHotTrack(false);
    Send(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(label_->FontColor(), kDarkBlue);
    EXPECT_EQ(label_->FontStyle(), TFontStyles{});
}

TEST_F(LabelTest, RepaintsOnlyWhenAPropertyChanges) {
    using Setter = void (*)(TURLLabel&, bool changed);
    const std::pair<const char*, Setter> properties[] = {
        {"HotTrack", [](TURLLabel& l, bool changed) { l.SetHotTrack(l.HotTrack() != changed); }},
        {"HotColor", [](TURLLabel& l, bool changed) { l.SetHotColor(changed ? RGB(1, 2, 3) : l.HotColor()); }},
        {"PushedColor",
         [](TURLLabel& l, bool changed) { l.SetPushedColor(changed ? RGB(1, 2, 3) : l.PushedColor()); }},
    };
    for (const auto& [name, set] : properties) {
        SCOPED_TRACE(name);
        ValidateRect(label_->Handle(), nullptr);
        set(*label_, false);
        EXPECT_FALSE(NeedsPainting());
        set(*label_, true);
        EXPECT_TRUE(NeedsPainting());
    }
}

TEST_F(LabelTest, DefaultsAndTheHandPointCursor) {
    EXPECT_EQ(label_->Cursor(), 32761);
    EXPECT_TRUE(label_->HotTrack());
    EXPECT_EQ(label_->HotColor(), RGB(0, 255, 255));
    EXPECT_EQ(label_->PushedColor(), RGB(255, 0, 0));
    const LRESULT handled = SendMessageW(label_->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label_->Handle()),
                                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(handled);
    EXPECT_EQ(GetCursor(), LoadCursorA(GetModuleHandleW(nullptr), "HANDPOINT"));
}

#pragma pack(push, 2)
struct GroupHeader {
    WORD reserved, type, count;
};
struct IconGroupEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct CursorGroupEntry {
    WORD width, height, planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

template <typename Entry>
std::vector<Entry> GroupEntries(HMODULE module, const char* name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return {};
    const auto* header = static_cast<const GroupHeader*>(LockResource(LoadResource(module, found)));
    const auto* entries = reinterpret_cast<const Entry*>(header + 1);
    return {entries, entries + header->count};
}

TEST(ModuleResources, IconInEverySizeAndCursorWithItsHotspotOnTheFingertip) {
    const HMODULE module = LoadLibraryExA(WindowsPath(IMVEXA_DLL_PATH).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    std::set<std::pair<int, int>> icons;  // (size, bits per pixel)
    for (const IconGroupEntry& e : GroupEntries<IconGroupEntry>(module, "MAINICON", RT_GROUP_ICON))
        icons.insert({e.width ? e.width : 256, e.bitCount});
    EXPECT_EQ(icons, (std::set<std::pair<int, int>>{{16, 32}, {24, 32}, {32, 32}, {48, 32}, {256, 32}, {16, 8}, {32, 8}}));

    const auto cursors = GroupEntries<CursorGroupEntry>(module, "HANDPOINT", RT_GROUP_CURSOR);
    ASSERT_EQ(cursors.size(), 1u);
    // The cursor resource: the hotspot, then a bottom-up 32-bit picture (the
    // resource compiler writes 1 bit per pixel into the group entry).
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(cursors[0].id), RT_CURSOR);
    const auto* hotspot = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(hotspot + 2);
    ASSERT_EQ(header->biWidth, 32);
    ASSERT_EQ(header->biBitCount, 32);
    const auto* pixels = reinterpret_cast<const std::uint8_t*>(header + 1);
    const auto alpha = [&](int x, int y) { return pixels[(31 - y) * 128 + x * 4 + 3]; };
    const int x = hotspot[0], y = hotspot[1];
    EXPECT_GE(alpha(x, y), 128) << x << "," << y;
    for (int above = 0; above < y; ++above)
        for (int column = 0; column < 32; ++column) EXPECT_LT(alpha(column, above), 128) << column << "," << above;
    FreeLibrary(module);
}

}  // namespace
