// The About box and its links on a private X server: the layout at 96 DPI,
// the links' looks under real mouse input, the shell call on the press, the
// cursor, the keys that close the box; and the icon and cursor resources of
// the built module.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
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

// The shell calls of the links: verb, file, parameters, directory, show.
using ShellCall = std::tuple<std::string, std::string, std::string, std::string, int>;
std::mutex shellCallsLock;
std::vector<ShellCall> shellCalls;

HINSTANCE WINAPI RecordShellCall(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show) {
    std::lock_guard guard(shellCallsLock);
    shellCalls.emplace_back(verb, file, parameters, directory, show);
    return reinterpret_cast<HINSTANCE>(33);
}

std::vector<ShellCall> ShellCalls() {
    std::lock_guard guard(shellCallsLock);
    return shellCalls;
}

template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 150 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return condition();
}

// What a window shows on the screen, with or without its frame.
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

// Whether the label shows its text underlined in color: a row of that
// colour runs under the whole text.
bool ShowsUnderlined(HWND label, COLORREF color) {
    TBitmap picture;
    Capture(label, false, picture);
    int longest = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        int run = 0;
        for (const std::uint8_t* bgr = picture.ScanLine(y); bgr < picture.ScanLine(y) + 3 * picture.Width(); bgr += 3)
            run += RGB(bgr[2], bgr[1], bgr[0]) == color;
        longest = std::max(longest, run);
    }
    return longest >= picture.Width() * 9 / 10;
}

bool LooksLike(HWND label, COLORREF color) {
    return Eventually([&] { return ShowsUnderlined(label, color); });
}

POINT ScreenPoint(HWND window, int x, int y) {
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
            window_ = FindWindowW(nullptr, L"Imvexa のバージョン情報");
            return window_ && IsWindowVisible(window_);
        });
    }
    ~ShownAboutBox() {
        if (IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
        if (result_.valid()) result_.wait();
    }
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
    // Right and bottom 0: the label's size is its text's.
    const std::pair<HWND, RECT> controls[] = {
        {GetDlgItem(dialog, IDOK), {264, 123, 353, 145}},  {GetDlgItem(dialog, 100), {16, 16, 48, 48}},
        {GetDlgItem(dialog, 101), {72, 16, 0, 0}},          {GetDlgItem(dialog, 102), {72, 32, 0, 0}},
        {GetDlgItem(dialog, 103), {72, 48, 0, 0}},          {box.Form().EmailLink()->Handle(), {72, 80, 0, 0}},
        {box.Form().WebLink()->Handle(), {72, 96, 0, 0}},
    };
    for (const auto& [control, expected] : controls) {
        RECT rect{};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        SCOPED_TRACE(testing::Message() << expected.left << "," << expected.top);
        EXPECT_EQ(rect.left, expected.left);
        EXPECT_EQ(rect.top, expected.top);
        EXPECT_EQ(rect.right, expected.right ? expected.right : std::max(rect.right, rect.left + 20L));
        EXPECT_EQ(rect.bottom, expected.bottom ? expected.bottom : std::clamp(rect.bottom, rect.top + 12, rect.top + 16));
    }
    EXPECT_NE(SendDlgItemMessageW(dialog, 100, STM_GETICON, 0, 0), 0);
}

// Hover, leave, press, release outside and inside, with the mouse itself.
TEST_F(AboutTest, LinksTurnRedUnderTheMouseAndOpenOnThePress) {
    ShownAboutBox box;
    const HWND link = box.Form().EmailLink()->Handle();
    const POINT over = ScreenPoint(link, 5, 5), away = ScreenPoint(box.Window(), 200, 20);
    EXPECT_TRUE(LooksLike(link, kDarkBlue));

    MoveMouseTo(over);
    EXPECT_TRUE(LooksLike(link, kRed));
    CURSORINFO cursor{};
    cursor.cbSize = sizeof cursor;
    const HCURSOR handPoint = LoadCursorA(GetModuleHandleW(nullptr), "HANDPOINT");
    EXPECT_TRUE(Eventually([&] { return GetCursorInfo(&cursor) && cursor.hCursor == handPoint; }));
    TBitmap shot;
    Capture(box.Window(), true, shot);
    QXPNGLE png;
    png.Assign(&shot);
    png.SaveToFile(WindowsPath(IMVEXA_ABOUT_SCREENSHOT));

    MoveMouseTo(away);
    EXPECT_TRUE(LooksLike(link, kDarkBlue));

    MoveMouseTo(over);
    Button(MOUSEEVENTF_LEFTDOWN);
    const std::vector<ShellCall> opened{{"OPEN", "mailto:imvexa@example.org", "", "", SW_SHOW}};
    EXPECT_TRUE(Eventually([&] { return ShellCalls() == opened; }));
    MoveMouseTo(away);
    Button(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(LooksLike(link, kDarkBlue));
    EXPECT_EQ(ShellCalls(), opened);

    MoveMouseTo(over);
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(LooksLike(link, kRed));
    EXPECT_TRUE(Eventually([&] { return ShellCalls().size() == 2; }));
    MoveMouseTo(away);
}

TEST_F(AboutTest, EscLeavesTheBoxOpenOkAndTheCloseBoxClose) {
    {
        ShownAboutBox box;
        const HWND ok = GetDlgItem(box.Window(), IDOK);
        PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(ok, WM_KEYUP, VK_ESCAPE, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(IsWindow(box.Window()));
        PostMessageW(ok, BM_CLICK, 0, 0);
        ASSERT_TRUE(box.Closed());
        EXPECT_EQ(box.Result(), IDOK);
    }
    ShownAboutBox box;
    PostMessageW(box.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(box.Closed());
    EXPECT_EQ(box.Result(), IDCANCEL);
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
        label_->SetFontColor(kDarkBlue);
    }
    void TearDown() override {
        label_.reset();
        DestroyWindow(parent_);
    }
    void Send(UINT message, int x = 2, int y = 2) {
        SendMessageW(label_->Handle(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }
    bool OwnLook() { return label_->FontColor() == kDarkBlue && label_->FontStyle() == TFontStyles{}; }

    HWND parent_ = nullptr;
    std::unique_ptr<TURLLabel> label_;
};

TEST_F(LabelTest, WithoutHotTrackKeepsItsLookButStillOpens) {
    label_->SetHotTrack(false);
    for (const UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSELEAVE}) {
        Send(message);
        EXPECT_TRUE(OwnLook()) << std::hex << message;
    }
    EXPECT_EQ(ShellCalls(), (std::vector<ShellCall>{{"OPEN", "http://imvexa.example.org/", "", "", SW_SHOW}}));
}

// Whatever came between, the label returns to its own look.
TEST_F(LabelTest, ReturnsToItsOwnLook) {
    // A press with no mouse move before it, released outside.
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(label_->FontColor(), label_->PushedColor());
    Send(WM_LBUTTONUP, -5, -5);
    EXPECT_TRUE(OwnLook());
    // HotTrack turned off while the hot look was on.
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(label_->FontColor(), label_->HotColor());
    label_->SetHotTrack(false);
    Send(WM_MOUSELEAVE);
    EXPECT_TRUE(OwnLook());
}

TEST_F(LabelTest, RepaintsOnlyWhenAPropertyChanges) {
    using Setter = void (*)(TURLLabel&, bool changed);
    const Setter setters[] = {
        [](TURLLabel& l, bool changed) { l.SetHotTrack(l.HotTrack() != changed); },
        [](TURLLabel& l, bool changed) { l.SetHotColor(changed ? RGB(1, 2, 3) : l.HotColor()); },
        [](TURLLabel& l, bool changed) { l.SetPushedColor(changed ? RGB(1, 2, 3) : l.PushedColor()); },
    };
    for (const Setter set : setters) {
        for (const bool changed : {false, true}) {
            ValidateRect(label_->Handle(), nullptr);
            set(*label_, changed);
            EXPECT_EQ(GetUpdateRect(label_->Handle(), nullptr, FALSE) != FALSE, changed);
        }
    }
}

// The entries of an icon or cursor group: 14 bytes each after a 6-byte
// header whose last word counts them.
std::vector<const BYTE*> GroupEntries(HMODULE module, const char* name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    const auto* group = found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    std::vector<const BYTE*> entries;
    for (int i = 0; group && i < *reinterpret_cast<const WORD*>(group + 4); ++i) entries.push_back(group + 6 + 14 * i);
    return entries;
}

TEST(ModuleResources, IconInEverySizeAndCursorWithItsHotspotOnTheFingertip) {
    const HMODULE module = LoadLibraryExA(WindowsPath(IMVEXA_DLL_PATH).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    std::set<std::pair<int, int>> icons;  // (size, bits per pixel)
    for (const BYTE* e : GroupEntries(module, "MAINICON", RT_GROUP_ICON))
        icons.insert({e[0] ? e[0] : 256, *reinterpret_cast<const WORD*>(e + 6)});
    EXPECT_EQ(icons, (std::set<std::pair<int, int>>{{16, 32}, {24, 32}, {32, 32}, {48, 32}, {256, 32}, {16, 8}, {32, 8}}));

    // The cursor: its hotspot, then a bottom-up 32-bit picture (the resource
    // compiler writes 1 bit per pixel into the group entry).
    const auto cursors = GroupEntries(module, "HANDPOINT", RT_GROUP_CURSOR);
    ASSERT_EQ(cursors.size(), 1u);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(*reinterpret_cast<const WORD*>(cursors[0] + 12)), RT_CURSOR);
    const auto* hotspot = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(hotspot + 2);
    ASSERT_EQ(header->biWidth, 32);
    ASSERT_EQ(header->biBitCount, 32);
    const auto* pixels = reinterpret_cast<const std::uint8_t*>(header + 1);
    const auto opaque = [&](int x, int y) { return pixels[(31 - y) * 128 + x * 4 + 3] >= 128; };
    EXPECT_TRUE(opaque(hotspot[0], hotspot[1]));
    for (int y = 0; y < hotspot[1]; ++y)
        for (int x = 0; x < 32; ++x) EXPECT_FALSE(opaque(x, y)) << x << "," << y;
    FreeLibrary(module);
}

}  // namespace
