// The Control Panel entry and the settings dialog, driven as a user would:
// CPlApplet(CPL_DBLCLK) on a thread of its own, the dialog and the dialogs it
// opens answered with window messages, every test against a private registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <cpl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "AnsiText.h"
#include "ApplySettings.h"
#include "Bitmap.h"
#include "CfgFrm.h"
#include "ExtensionLists.h"
#include "ModuleLifetime.h"
#include "QXPNGL.h"
#include "Registration.h"
#include "RegistryLayout.h"
#include "Stream.h"
#include "WindowsTestSupport.h"

extern "C" LONG WINAPI CPlApplet(HWND, UINT, LPARAM, LPARAM);

namespace imvexa {
namespace {

using F = ui::TConfigForm;
constexpr wchar_t kCaption[] = L"Imvexa のプロパティ";
constexpr auto kPatience = std::chrono::seconds(20);
const std::string kPlugInsDir = WindowsPath(IMVEXA_TEST_PLUGINS_DIR);

std::string PlugIn(const char* name) { return kPlugInsDir + "\\" + name + IMVEXA_TEST_PLUGIN_SUFFIX; }

// Waits until done() holds; false when the patience ran out.
bool WaitUntil(const std::function<bool()>& done) {
    for (auto end = std::chrono::steady_clock::now() + kPatience; std::chrono::steady_clock::now() < end; Sleep(20))
        if (done()) return true;
    return false;
}

// Waits until find gives a window; null when the patience ran out.
HWND WaitFor(const std::function<HWND()>& find) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = find()) != nullptr; });
    return found;
}

struct DialogSearch {
    HWND except, found = nullptr;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
    auto& s = *reinterpret_cast<DialogSearch*>(data);
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (window != s.except && IsWindowVisible(window) && !wcscmp(name, L"#32770")) s.found = window;
    return s.found ? FALSE : TRUE;
}

// A visible dialog of thread other than except (the open dialog, a message box).
HWND DialogOfThread(DWORD thread, HWND except) {
    DialogSearch search{except};
    EnumThreadWindows(thread, MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

// The settings dialog opened by a double-click, on its own thread.
class AppletDialog {
public:
    AppletDialog()
        : thread_([this] {
              result_ = CPlApplet(nullptr, CPL_DBLCLK, 0, 0);
              done_ = true;
          }) {
        window_ = WaitFor([] { return FindWindowW(L"#32770", kCaption); });
        threadId_ = window_ ? GetWindowThreadProcessId(window_, nullptr) : 0;
    }
    // Cancels whatever is still open, innermost first.
    ~AppletDialog() {
        WaitUntil([this] {
            if (HWND inner = DialogOfThread(threadId_, window_)) PostMessageW(inner, WM_COMMAND, IDCANCEL, 0);
            else if (IsWindow(window_)) PostMessageW(window_, WM_COMMAND, IDCANCEL, 0);
            return done_.load();
        });
        thread_.join();
    }

    HWND Window() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    // A click whose work ends before the call returns.
    void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // A click that opens a modal window: returns that window.
    HWND ClickOpening(int id) const {
        PostMessageW(Item(id), BM_CLICK, 0, 0);
        return WaitFor([this] { return DialogOfThread(threadId_, window_); });
    }
    void Type(int id, const std::wstring& text) const {
        SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        for (wchar_t c : text) SendMessageW(Item(id), WM_CHAR, c, 0);
    }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::vector<std::wstring> Items() const {
        std::vector<std::wstring> items;
        const int count = static_cast<int>(SendMessageW(Item(F::m_lstSusiePlugIn), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t item[MAX_PATH] = L"";
            SendMessageW(Item(F::m_lstSusiePlugIn), LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
            items.push_back(item);
        }
        return items;
    }
    int Selection() const { return static_cast<int>(SendMessageW(Item(F::m_lstSusiePlugIn), LB_GETCURSEL, 0, 0)); }
    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(threadId_, &info);
        return info.hwndFocus;
    }
    // Waits until the double-click returned; its result.
    LONG Closed() {
        WaitUntil([this] { return done_.load(); });
        return result_;
    }

private:
    std::atomic<LONG> result_ = -1;
    std::atomic<bool> done_ = false;
    std::thread thread_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
};

// Every key and value below root, one line each, for before/after comparisons.
std::string Dump(HKEY root, const std::string& path = "") {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    std::string lines = path + "\n";
    char name[512], data[512];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize))
            break;
        lines += "  " + std::string(name, nameSize) + "=" + std::to_string(type) + ":" + std::string(data, dataSize) + "\n";
    }
    std::vector<std::string> subKeys;
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr)) break;
        subKeys.emplace_back(name, nameSize);
    }
    RegCloseKey(key);
    for (const std::string& sub : subKeys) lines += Dump(root, path.empty() ? sub : path + "\\" + sub);
    return lines;
}

std::string Everything() { return Dump(HKEY_LOCAL_MACHINE) + Dump(HKEY_CURRENT_USER) + Dump(HKEY_CLASSES_ROOT); }

std::string StringValue(HKEY root, const char* key, const char* name) {
    char data[512] = "";
    DWORD size = sizeof data;
    RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, data, &size);
    return data;
}

// In sorted order: the registry's own order is the platform's.
std::set<std::string> ValueNames(HKEY root, const char* key) {
    TRegistry registry(root);
    registry.OpenKey(key, KeyAccess::Read);
    const std::vector<std::string> names = registry.GetValueNames();
    return {names.begin(), names.end()};
}

std::string HandlerOf(const std::string& extension) {
    return StringValue(HKEY_CLASSES_ROOT, ("." + extension + "\\Shellex\\" + kThumbnailHandlerKey).c_str(), nullptr);
}

std::vector<std::string> LoadedPlugIns() {
    std::vector<std::string> paths;
    const TSusiePlugIn& host = *Settings().SusieHost;
    for (int i = 0; i < host.PlugInCount(); ++i) paths.push_back(host.GetPlugIn(i)->Path);
    return paths;
}

// Answers the open dialog: the names typed into its file name box, then Open.
void ChooseFiles(HWND openDialog, const std::wstring& names) {
    ASSERT_NE(openDialog, nullptr);
    HWND nameBox = GetDlgItem(openDialog, 0x47c);  // cmb13: the file name combo box
    if (!nameBox) nameBox = GetDlgItem(openDialog, 0x480);  // edt1 in the older layout
    ASSERT_NE(nameBox, nullptr);
    SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(names.c_str()));
    PostMessageW(GetDlgItem(openDialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(openDialog); }));
}

class ConfigFormTest : public ::testing::Test {
protected:
    void SetUp() override { SetPlugIns({}); }
    void TearDown() override {
        TRegistry::DenyMachineWrites(false);
        ui::TPixelDialog::OverrideDpi(0);
    }
    static void SetPlugIns(const std::vector<std::string>& paths) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kPlugInsKey);
        TRegistry registry(HKEY_LOCAL_MACHINE);
        registry.OpenKey(kPlugInsKey, KeyAccess::Create);
        for (const std::string& path : paths) registry.WriteString(path, "");
    }

    PrivateRegistry registry_;
};

TEST_F(ConfigFormTest, AppletAnswersEachMessageAndDescribesItselfOnce) {
    for (LPARAM applet : {0, 3}) {
        for (auto [message, expected] : std::vector<std::pair<UINT, LONG>>{
                 {CPL_INIT, 1}, {CPL_GETCOUNT, 1}, {CPL_INQUIRE, 0}, {CPL_SELECT, 0}, {CPL_STOP, 0},
                 {CPL_EXIT, 0}, {CPL_STARTWPARMSA, 0}, {CPL_STARTWPARMSW, 0}, {0x4242, 0}})
            EXPECT_EQ(CPlApplet(nullptr, message, applet, 0), expected) << message << " for applet " << applet;
        NEWCPLINFOA info;
        std::memset(&info, 0xCC, sizeof info);
        EXPECT_EQ(CPlApplet(nullptr, CPL_NEWINQUIRE, applet, reinterpret_cast<LPARAM>(&info)), 1);
        EXPECT_EQ(info.dwSize, sizeof(NEWCPLINFOA));
        EXPECT_EQ(info.dwFlags, 0u);
        EXPECT_EQ(info.dwHelpContext, 0u);
        EXPECT_EQ(info.lData, 0);
        EXPECT_EQ(info.hIcon, LoadIconA(GetModuleHandleW(nullptr), "MAINICON"));
        EXPECT_STREQ(info.szName, "Imvexa");
        EXPECT_EQ(std::string(info.szInfo), AnsiText(L"Imvexa の設定を変更します。", 0));
        EXPECT_EQ(std::string(info.szHelpFile, sizeof info.szHelpFile), std::string(sizeof info.szHelpFile, '\0'));
    }
    EXPECT_EQ(CPlApplet(nullptr, CPL_NEWINQUIRE, 0, 0), 0);  // no record to fill
}

TEST_F(ConfigFormTest, AppliedSettingsReachRegistryHandlersAndPlugInsAndShowAtTheNextDoubleClick) {
    SetPlugIns({PlugIn("PNM")});  // the same file as pnm, in other letters
    {
        AppletDialog dialog;
        ASSERT_NE(dialog.Window(), nullptr);
        dialog.Click(F::m_rdbSpeed);
        EXPECT_FALSE(dialog.Checked(F::m_rdbQuality));
        dialog.Type(F::m_edtTextExtension, L"txt/ Log /");
        SetCurrentDirectoryA(kPlugInsDir.c_str());
        ChooseFiles(dialog.ClickOpening(F::m_btnAdd), L"\"pnm" IMVEXA_TEST_PLUGIN_SUFFIX L"\" \"failing" IMVEXA_TEST_PLUGIN_SUFFIX
                                                      L"\" \"archive" IMVEXA_TEST_PLUGIN_SUFFIX L"\"");
        const std::vector<std::wstring> listed = {WideText(PlugIn("PNM")), WideText(PlugIn("failing")),
                                                  WideText(PlugIn("archive"))};
        ASSERT_EQ(dialog.Items(), listed);
        dialog.Click(F::m_btnApply);
        dialog.Click(F::m_btnCancel);
        EXPECT_EQ(dialog.Closed(), 0);
    }
    DWORD quality = 7, size = sizeof quality;
    RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, kQualityValue, RRF_RT_REG_DWORD, nullptr, &quality, &size);
    EXPECT_EQ(quality, 0u);
    EXPECT_EQ(StringValue(HKEY_LOCAL_MACHINE, kSettingsKey, kTextExtensionValue), "txt/ Log /");
    const std::set<std::string> stored = {PlugIn("PNM"), PlugIn("failing"), PlugIn("archive")};
    EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kPlugInsKey), stored);  // the archive one too, though not loaded
    // Each under the name the folder gives it.
    EXPECT_EQ(LoadedPlugIns(), std::vector<std::string>({PlugIn("pnm"), PlugIn("failing")}));
    for (const char* extension : {"bmp", "jfif", "txt", "log", "ppm", "pgm"})
        EXPECT_EQ(HandlerOf(extension), kExtractorClassText) << extension;
    EXPECT_EQ(HandlerOf("ini"), "");  // the default text list no longer applies

    AppletDialog again;
    ASSERT_NE(again.Window(), nullptr);
    EXPECT_EQ(TextOf(again.Window()), kCaption);
    EXPECT_TRUE(again.Checked(F::m_rdbSpeed));
    EXPECT_FALSE(again.Checked(F::m_rdbQuality));
    EXPECT_EQ(TextOf(again.Item(F::m_edtTextExtension)), L"txt/ Log /");  // as typed until the next module start
    EXPECT_EQ(again.Items().size(), 3u);
    again.Click(F::m_rdbQuality);
    again.Click(F::m_btnOK);
    EXPECT_EQ(again.Closed(), 0);
    EXPECT_TRUE(Settings().QualityMode);
}

TEST_F(ConfigFormTest, DeleteSelectsTheEntryThatMovedUpOrTheNewLast) {
    struct Case {
        int selected, count;  // before
        std::vector<std::wstring> left;
        int selectedAfter;
    };
    for (const Case& c : std::vector<Case>{{2, 3, {L"a", L"b"}, 1},
                                           {0, 3, {L"b", L"c"}, 0},
                                           {1, 3, {L"a", L"c"}, 1},
                                           {-1, 3, {L"a", L"b", L"c"}, -1},
                                           {0, 1, {}, -1},
                                           {-1, 0, {}, -1}}) {
        AppletDialog dialog;
        ASSERT_NE(dialog.Window(), nullptr);
        HWND list = dialog.Item(F::m_lstSusiePlugIn);
        for (const wchar_t* item : {L"a", L"b", L"c"})
            if (SendMessageW(list, LB_GETCOUNT, 0, 0) < c.count)
                SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendMessageW(list, LB_SETCURSEL, c.selected, 0);
        dialog.Click(F::m_btnDelete);
        EXPECT_EQ(dialog.Items(), c.left) << c.selected << " of " << c.count;
        EXPECT_EQ(dialog.Selection(), c.selectedAfter) << c.selected << " of " << c.count;
    }
}

TEST_F(ConfigFormTest, ApplyThatCannotWriteEverythingChangesNothingAndOffersAdministratorRights) {
    SetPlugIns({PlugIn("pnm")});
    Settings().SusieHost->LoadPlugIns(PlugIn("pnm"));
    RegisterHandler("PNG");
    const std::vector<std::string> loaded = LoadedPlugIns();
    const bool quality = Settings().QualityMode;
    for (const bool classesUnwritable : {false, true}) {
        if (classesUnwritable)
            registry_.MakeClassesRootUnwritable();
        else
            TRegistry::DenyMachineWrites(true);
        const std::string before = Everything();
        {
            AppletDialog dialog;
            ASSERT_NE(dialog.Window(), nullptr);
            dialog.Click(quality ? F::m_rdbSpeed : F::m_rdbQuality);
            dialog.Type(F::m_edtTextExtension, L"XYZ");
            dialog.Click(F::m_btnDelete);
            HWND box = dialog.ClickOpening(F::m_btnOK);
            ASSERT_NE(box, nullptr);
            EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
            PostMessageW(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);  // never elevate here
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
            EXPECT_TRUE(IsWindow(dialog.Window()));  // OK did not close it
        }
        EXPECT_EQ(Everything(), before) << "classes root unwritable: " << classesUnwritable;
        EXPECT_EQ(LoadedPlugIns(), loaded);
        EXPECT_EQ(Settings().QualityMode, quality);
        TRegistry::DenyMachineWrites(false);
    }
}

// A write refused after the check (the rights changed meanwhile) still leaves
// every served extension with its handler and the listed plug-ins loaded.
TEST_F(ConfigFormTest, ApplyFailingHalfWayKeepsTheHandlersAndPlugIns) {
    ui::TSettingsChange change{true, "TXT", {PlugIn("pnm")}};
    ui::ApplySettings(change);
    TRegistry::DenyMachineWrites(true);
    change.TextExtension = "LOG";
    EXPECT_THROW(ui::ApplySettings(change), ERegistryException);
    for (const char* extension : {"bmp", "mag", "log", "ppm"})  // LOG: the text list now in use
        EXPECT_EQ(HandlerOf(extension), kExtractorClassText) << extension;
    EXPECT_EQ(LoadedPlugIns(), std::vector<std::string>({PlugIn("pnm")}));
}

using Rect = std::array<int, 4>;  // left, top, width, height

Rect ClientRect(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Rect Scaled(int dpi, Rect r) {
    for (int& value : r) value = MulDiv(value, dpi, 96);
    return r;
}

TEST_F(ConfigFormTest, LayoutScalesWithTheDpiAndKeepsItsTabOrderAndAccelerators) {
    for (int dpi : {96, 120, 144}) {
        ui::TPixelDialog::OverrideDpi(dpi);
        AppletDialog dialog;
        ASSERT_NE(dialog.Window(), nullptr);
        RECT client;
        GetClientRect(dialog.Window(), &client);
        EXPECT_EQ((Rect{0, 0, client.right, client.bottom}), Scaled(dpi, {0, 0, 433, 385})) << dpi;
        for (auto [id, rect] : std::vector<std::pair<int, Rect>>{{F::Label3, {8, 8, 91, 12}},
                                                                 {F::m_edtTextExtension, {16, 88, 401, 20}},
                                                                 {F::m_lstSusiePlugIn, {16, 168, 401, 108}},
                                                                 {F::m_btnApply, {336, 352, 89, 22}},
                                                                 {F::Bevel4, {8, 336, 417, 9}}})
            EXPECT_EQ(ClientRect(dialog.Window(), dialog.Item(id)), Scaled(dpi, rect)) << dpi << " id " << id;
    }
    ui::TPixelDialog::OverrideDpi(96);
    AppletDialog dialog;
    ASSERT_NE(dialog.Window(), nullptr);
    // Tab order is the controls' order among the dialog's children (the radio
    // group is one tab stop, at its checked button).
    const std::vector<int> tabOrder = {F::m_rdbQuality, F::m_rdbSpeed, F::m_edtTextExtension, F::m_lstSusiePlugIn,
                                       F::m_btnAdd,      F::m_btnDelete, F::m_btnOK,  F::m_btnCancel,
                                       F::m_btnApply,    F::m_btnVersion};
    std::vector<int> order;
    for (HWND child = GetWindow(dialog.Window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (std::count(tabOrder.begin(), tabOrder.end(), GetDlgCtrlID(child))) order.push_back(GetDlgCtrlID(child));
    EXPECT_EQ(order, tabOrder);
    EXPECT_NE(SendMessageW(dialog.Item(F::m_btnOK), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, 0);
    for (auto [key, focused] : std::vector<std::pair<wchar_t, int>>{{L't', F::m_edtTextExtension},
                                                                    {L's', F::m_lstSusiePlugIn}}) {
        PostMessageW(dialog.Focus(), WM_SYSCHAR, key, 1 << 29);  // keys go to the focused control
        EXPECT_TRUE(WaitUntil([&] { return dialog.Focus() == dialog.Item(focused); }))
            << "Alt+" << static_cast<char>(key);
    }
}

// Whether the font has a glyph of its own for every character of text.
bool HasGlyphs(HFONT font, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    DeleteDC(dc);
    return std::count(glyphs.begin(), glyphs.end(), 0xFFFF) == 0;
}

// The dark pixels of a rectangle of a 24-bit picture, as a set of positions.
std::set<std::pair<int, int>> DarkPixels(const TBitmap& picture, const RECT& area) {
    std::set<std::pair<int, int>> dark;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const std::uint8_t* pixel = picture.ScanLine(y) + 3 * x;
            if (pixel[0] + pixel[1] + pixel[2] < 3 * 96) dark.insert({x - area.left, y - area.top});
        }
    return dark;
}

// The label's text drawn in font on a white picture of the label's size.
std::set<std::pair<int, int>> DrawnText(HWND label, HFONT font) {
    RECT area;
    GetClientRect(label, &area);
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::Bit24);
    picture.SetSize(area.right, area.bottom);
    HDC dc = picture.Canvas();
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring text = TextOf(label);
    DrawTextW(dc, text.c_str(), -1, &area, DT_LEFT | DT_WORDBREAK);
    SelectObject(dc, old);
    GdiFlush();
    return DarkPixels(picture, area);
}

TEST_F(ConfigFormTest, ScreenshotShowsTheJapaneseCaptionsAsGlyphs) {
    ui::TPixelDialog::OverrideDpi(96);
    SetPlugIns({"C:\\Susie\\Plugins\\*.sph"});  // shown, never loaded
    AppletDialog dialog;
    ASSERT_NE(dialog.Window(), nullptr);
    RECT frame;
    GetWindowRect(dialog.Window(), &frame);
    TBitmap shot;
    shot.SetPixelFormat(TPixelFormat::Bit24);
    shot.SetSize(frame.right - frame.left, frame.bottom - frame.top);
    dialog.Type(F::m_edtTextExtension, WideText(kDefaultTextExtensions));
    const std::vector<int> painted = {F::Label3, F::Label1, F::Label4, F::Label5, F::m_btnVersion};
    const auto areaOf = [&](HWND control) {
        RECT area;
        GetWindowRect(control, &area);
        OffsetRect(&area, -frame.left, -frame.top);
        return area;
    };
    // Wine's PrintWindow leaves out the children: the screen shows them once
    // the dialog has painted (black before that), each control as dark text
    // on a light face.
    ASSERT_TRUE(WaitUntil([&] {
        HDC screen = GetDC(nullptr);
        BitBlt(shot.Canvas(), 0, 0, shot.Width(), shot.Height(), screen, frame.left, frame.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        GdiFlush();
        return std::all_of(painted.begin(), painted.end(), [&](int id) {
            const RECT area = areaOf(dialog.Item(id));
            const std::size_t dark = DarkPixels(shot, area).size();
            return dark > 0 && dark < static_cast<std::size_t>((area.right - area.left) * (area.bottom - area.top) / 2);
        });
    }));
    QXPNGLE png;
    png.Assign(&shot);
    TFileStream file(std::string(IMVEXA_RUN_DIR) + "\\settings-dialog.png", FileMode::Create);
    png.SaveToStream(file);

    const HFONT latinOnly = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Courier");
    for (int id : {F::Label3, F::Label1, F::Label4, F::m_btnCancel}) {
        HWND label = dialog.Item(id);
        const HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
        EXPECT_TRUE(HasGlyphs(font, TextOf(label))) << id;
        EXPECT_FALSE(HasGlyphs(latinOnly, TextOf(label))) << id;
        if (id == F::m_btnCancel) continue;  // a button's face is not plain text on the background
        const auto shown = DarkPixels(shot, areaOf(label));
        EXPECT_GT(shown.size(), 12u * TextOf(label).size()) << id;  // a dozen dark pixels a character at least
        EXPECT_EQ(shown, DrawnText(label, font)) << id;  // the dialog's own rendering
        EXPECT_NE(shown, DrawnText(label, latinOnly)) << id;  // not the boxes of a font without Japanese
    }
    DeleteObject(latinOnly);
}

TEST(DialogFont, AMissingFaceFallsBackToAJapaneseUserInterfaceFace) {
    const std::wstring face = ui::DialogFontFace(L"ＭＳ Ｐゴシック 無し");
    EXPECT_NE(face, L"ＭＳ Ｐゴシック 無し");
    const HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
    EXPECT_TRUE(HasGlyphs(font, L"縮小アルゴリズム")) << std::string(face.begin(), face.end());
    DeleteObject(font);
}

// The Control Panel host loads the built module and, since the applet
// declines CPL_STARTWPARMS, double-clicks it.
TEST(ControlPanel, OpensTheSettingsOfTheBuiltModule) {
    std::wstring command = L"control.exe \"" + WideText(WindowsPath(IMVEXA_DLL_PATH)) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION host{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &host));
    HWND dialog = WaitFor([&] {
        HWND found = FindWindowW(L"#32770", kCaption);
        DWORD process = 0;
        GetWindowThreadProcessId(found, &process);
        return process == host.dwProcessId ? found : nullptr;
    });
    EXPECT_NE(dialog, nullptr);
    if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(host.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(host.hProcess, 1);
    CloseHandle(host.hThread);
    CloseHandle(host.hProcess);
}

}  // namespace
}  // namespace imvexa
