// Install and Uninstall against folders of the test's own, in a throwaway Wine
// prefix with an X server: a second thread answers the message boxes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>
#include <vector>

#include "MessageBoxAnswerer.h"
#include "PlugInHostNames.h"
#include "SetupSystem.h"
#include "WindowsTestSupport.h"

namespace imvexa {

void PrintTo(const SeenBox& box, std::ostream* out) {
    *out << ::testing::PrintToString(box.Text) << " buttons " << box.Buttons << " icon " << box.Icon
         << (box.Owned ? " owned" : "");
}

namespace {

const SeenBox kInstalled{L"アプリケーションは正常にインストールされました。", MB_OK, MB_ICONINFORMATION};
const SeenBox kConfirm{L"選択したアプリケーションと関連する構成要素の全てを削除してもよろしいですか？", MB_YESNO,
                       MB_ICONQUESTION};
const SeenBox kSettings{L"アプリケーションが使用したレジストリエントリを削除してもよろしいですか？"
                        L"バージョンアップを行う場合は削除しないことをおすすめします。",
                        MB_YESNO, MB_ICONQUESTION};
const SeenBox kRestart{L"アプリケーションを完全に削除するには Windows を再起動する必要があります。"
                       L"Windows を再起動してもよろしいですか？",
                       MB_YESNO, MB_ICONQUESTION};

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Imvexa";
const char kClassKey[] = "CLSID\\{5A3C9E71-2B84-4F6D-9C13-7E2A4B8D0F65}";
const char kSettingsKey[] = "Software\\VELKOR\\Imvexa";

std::string Bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Value(HKEY root, const std::string& key, const char* name) {
    char data[1024] = "";
    DWORD size = sizeof data;
    return RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) == ERROR_SUCCESS ? data : "?";
}

// The deletions at restart that MoveFileExA recorded, as "\??\path" names
// each followed by an empty target.
std::vector<std::string> PendingDeletions() {
    char data[65536];
    DWORD size = sizeof data;
    std::vector<std::string> deleted;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                     "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return deleted;
    // Pairs of names: a path and its new name, empty for a deletion.
    for (const char* name = data; name < data + size - 1;) {
        const std::string from = name;
        name += from.size() + 1;
        const std::string to = name;
        name += to.size() + 1;
        if (to.empty()) deleted.push_back(from);
    }
    return deleted;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

class SetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const std::string root =
            std::string(temp) + "imvexa-setup-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
        system_ = {{root + "\\source", root + "\\system", root + "\\windows", root + "\\listed"},
                   VER_PLATFORM_WIN32_NT,
                   [this](const std::string& command) { started_.push_back(command); }};
        for (const std::string& folder : {system_.Folders.Source, system_.Folders.System, system_.Folders.Windows})
            std::filesystem::create_directories(folder);
        WriteFile(Source("ReadMe.txt"), "Imvexa\r\n");
        CopyFileA(WindowsPath(IMVEXA_SETUP_EXE_PATH).c_str(), Source("Setup.exe").c_str(), FALSE);
        CopyFileA(WindowsPath(IMVEXA_DLL_PATH).c_str(), Source("Vignar.cpl").c_str(), FALSE);
        for (const char* host : kPlugInHosts)  // built beside the DLL
            CopyFileA(BesideTheDll(host).c_str(), Source(host).c_str(), FALSE);
        for (HKEY registryRoot : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) RegDeleteTreeA(registryRoot, kSettingsKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kClassKey);
    }

    static std::string BesideTheDll(const char* file) {
        const std::string dll = WindowsPath(IMVEXA_DLL_PATH);
        return dll.substr(0, dll.rfind('\\') + 1) + file;
    }
    std::string Source(const char* file) const { return PathIn(system_.Folders.Source, file); }
    std::string Installed(const char* file) const { return PathIn(system_.Folders.System, file); }
    // As the uninstall entry and the deletion at restart name it.
    std::string Listed(const char* file) const { return PathIn(system_.Folders.Listed, file); }

    // Runs action while another thread answers its message boxes in turn
    // (then No or OK to any further box); the boxes seen.
    static std::vector<SeenBox> Answering(std::vector<int> answers, const std::function<void()>& action) {
        std::vector<SeenBox> seen;
        std::atomic<bool> done{false};
        std::thread answerer([&] {
            while (!done) {
                const int answer = seen.size() < answers.size() ? answers[seen.size()] : IDNO;
                if (const auto box = AnswerNextBox(answer, 50)) seen.push_back(*box);
            }
        });
        action();
        done = true;
        answerer.join();
        return seen;
    }

    void Install() {
        ASSERT_EQ(Answering({IDOK}, [this] { RunInstall(system_); }), std::vector{kInstalled});
    }
    std::vector<SeenBox> Uninstall(std::vector<int> answers) {
        return Answering(std::move(answers), [this] { RunUninstall(system_); });
    }

    SetupSystem system_;
    std::vector<std::string> started_;
};

TEST_F(SetupTest, InstallTwiceCopiesRegistersAndListsForRemoval) {
    const std::string module = Installed("Vignar.cpl");
    for (int run = 1; run <= 2; ++run) {
        Install();
        EXPECT_EQ(Bytes(Installed("Vignar.txt")), Bytes(Source("ReadMe.txt")));
        EXPECT_EQ(Bytes(Installed("Vignar.exe")), Bytes(Source("Setup.exe")));
        EXPECT_EQ(Bytes(module), Bytes(Source("Vignar.cpl")));
        for (const char* host : kPlugInHosts) EXPECT_EQ(Bytes(Installed(host)), Bytes(Source(host))) << host;
        EXPECT_EQ(Value(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32", nullptr), module);
        EXPECT_EQ(started_, std::vector<std::string>(run, "Control.exe " + module));
    }
    const std::pair<const char*, std::string> entry[] = {
        {"DisplayName", "Imvexa Version 1.0.3"},
        {"UninstallString", Listed("Vignar.exe") + " /U"},
        {"Publisher", "VELKOR"},
        {"DisplayVersion", "1.0.3"},
        {"DisplayIcon", Listed("Vignar.cpl")},
    };
    for (const auto& [name, data] : entry) EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstallKey, name), data) << name;
}

TEST_F(SetupTest, InstallStopsSilentlyWhenACopyFails) {
    for (const char* missing : {"ReadMe.txt", "Setup.exe", "Vignar.cpl", kPlugInHost32}) {
        SCOPED_TRACE(missing);
        // An earlier version's module is installed: it must not be registered as if it were the new one.
        CopyFileA(Source("Vignar.cpl").c_str(), Installed("Vignar.cpl").c_str(), FALSE);
        const std::string moved = Source(missing) + ".away";
        MoveFileA(Source(missing).c_str(), moved.c_str());
        EXPECT_EQ(Answering({}, [this] { RunInstall(system_); }), std::vector<SeenBox>{});
        MoveFileA(moved.c_str(), Source(missing).c_str());
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_TRUE(started_.empty());
    }
}

TEST_F(SetupTest, UninstallChangesNothingWhenDeclinedOrWhenUnregistrationFails) {
    for (const bool unregistrationFails : {false, true}) {
        SCOPED_TRACE(unregistrationFails ? "unregistration fails" : "declined");
        Install();
        // A module without DllUnregisterServer: its handlers cannot be removed.
        if (unregistrationFails)
            CopyFileA(WindowsPath(IMVEXA_LAUNCHER_STUB_PATH).c_str(), Installed("Vignar.cpl").c_str(), FALSE);
        const auto pending = PendingDeletions();
        EXPECT_EQ(Uninstall({unregistrationFails ? IDYES : IDNO}), std::vector{kConfirm});
        for (const char* file : {"Vignar.txt", "Vignar.exe", "Vignar.cpl"})
            EXPECT_TRUE(std::filesystem::exists(Installed(file))) << file;
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
        EXPECT_EQ(PendingDeletions(), pending);
    }
}

TEST_F(SetupTest, UninstallRemovesTheProductAndTheSettingsOnlyOnRequest) {
    for (const bool removeSettings : {false, true}) {
        SCOPED_TRACE(removeSettings ? "settings removed" : "settings kept");
        Install();
        RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "Quality", REG_DWORD, "\0\0\0\0", 4);
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, (std::string(kSettingsKey) + "\\PlugIns\\Nested").c_str(), "x", REG_SZ,
                        "", 1);
        EXPECT_EQ(Uninstall({IDYES, removeSettings ? IDYES : IDNO, IDNO}),
                  (std::vector{kConfirm, kSettings, kRestart}));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
        EXPECT_NE(KeyExists(HKEY_CURRENT_USER, kSettingsKey), removeSettings);
        EXPECT_NE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey), removeSettings);
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\VELKOR"));
        EXPECT_FALSE(std::filesystem::exists(Installed("Vignar.txt")));
        const auto pending = PendingDeletions();
        for (const char* file : {"Vignar.exe", "Vignar.cpl"})
            EXPECT_TRUE(Contains(pending, "\\??\\" + Listed(file))) << file;
        for (const char* host : kPlugInHosts) EXPECT_TRUE(Contains(pending, "\\??\\" + Listed(host))) << host;
    }
}

TEST_F(SetupTest, Windows95FamilyAppendsTheDeletionsToWininit) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"[boot]\r\nshell=x\n[rename]\r\nNUL=C:\\OLD.TMP", "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OLD.TMP\r\n"},
    };
    for (const auto& [before, kept] : cases) {
        SCOPED_TRACE(before);
        const std::string wininit = PathIn(system_.Folders.Windows, "WININIT.INI");
        DeleteFileA(wininit.c_str());
        if (*before) WriteFile(wininit, before);
        system_.PlatformId = VER_PLATFORM_WIN32_WINDOWS;
        Install();
        EXPECT_EQ(Uninstall({IDYES, IDNO, IDNO}), (std::vector{kConfirm, kSettings, kRestart}));
        std::string renames = "[rename]\r\nNUL=" + Listed("Vignar.exe") + "\r\nNUL=" + Listed("Vignar.cpl") + "\r\n";
        for (const char* host : kPlugInHosts) renames += "NUL=" + Listed(host) + "\r\n";
        EXPECT_EQ(Bytes(wininit), kept + renames);
        EXPECT_FALSE(Contains(PendingDeletions(), "\\??\\" + Listed("Vignar.cpl")));
    }
}

TEST(SetupPaths, AFileInAFolderTakesOneBackslash) {
    EXPECT_EQ(PathIn("C:\\WINDOWS\\SYSTEM", "Vignar.cpl"), "C:\\WINDOWS\\SYSTEM\\Vignar.cpl");
    EXPECT_EQ(PathIn("D:\\", "ReadMe.txt"), "D:\\ReadMe.txt");
    EXPECT_EQ(PathIn("", "ReadMe.txt"), "");
}

}  // namespace
}  // namespace imvexa
