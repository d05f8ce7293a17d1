// The plug-in host against the test plug-ins (tests/plugins), which run in
// the host program beside this test.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "Bitmap.h"
#include "RuntimeErrors.h"
#include "TSPlug.h"
#include "WindowsTestSupport.h"

namespace imvexa {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string PlugIn(const std::string& name) {
    return WindowsPath(IMVEXA_TEST_PLUGINS_DIR) + "\\" + name + IMVEXA_TEST_PLUGIN_SUFFIX;
}

// A 2 × 1 P6 picture: a red pixel, then a green one.
const std::string kPpm("P6 2 1 255\n\xFF\x00\x00\x00\xFF\x00", 17);

// This process's committed private memory.
std::uint64_t CommittedPrivateBytes() {
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (auto* address = static_cast<std::uint8_t*>(nullptr); VirtualQuery(address, &region, sizeof region);
         address = static_cast<std::uint8_t*>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    return total;
}

constexpr wchar_t kHost[] = L"VignarPlugHost64.exe";  // the test plug-ins are 64-bit ones

void KillPlugInHosts() {
    for (DWORD id : ChildProcesses(kHost)) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        TerminateProcess(process, 9);
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
}

class SusieHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("imvexa-susie-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = (folder_ / name).string();
        TFileStream file(path, FileMode::Create);
        file.WriteBuffer(bytes.data(), bytes.size());
        return path;
    }
    std::string Ppm() { return WriteFile("picture.ppm", kPpm); }

    static COLORREF At(TBitmap& bitmap, int x, int y) { return GetPixel(bitmap.Canvas(), x, y); }
    void ExpectThePpm(TSusiePlugIn& host) {
        TBitmap bitmap;
        ASSERT_TRUE(host.LoadPictureFromMemory(kPpm.data(), kPpm.size(), bitmap));
        EXPECT_EQ(At(bitmap, 0, 0), RGB(255, 0, 0));
        EXPECT_EQ(At(bitmap, 1, 0), RGB(0, 255, 0));
    }

    fs::path folder_;
    TSusiePlugIn host_;
};

TEST_F(SusieHostTest, LoadsThePicturePlugInsOfAFolderAndRejectsTheRest) {
    // archive, no_support and pnm_foreign (the other architecture) are
    // rejected; the rest are picture plug-ins the host can call.
    EXPECT_EQ(host_.LoadPlugIns(PlugIn("*")), 7);
    ASSERT_EQ(host_.PlugInCount(), 7);
    for (int i = 0; i < host_.PlugInCount(); ++i) {
        const TPlug* plug = host_.GetPlugIn(i);
        ASSERT_NE(plug, nullptr);
        EXPECT_EQ(plug->ApiVersion, "00IN");
        EXPECT_EQ(plug->Info, "Imvexa test plug-in");
        EXPECT_EQ(plug->Extensions, "*.PPM;*.PGM");
        EXPECT_EQ(plug->Path.rfind(WindowsPath(IMVEXA_TEST_PLUGINS_DIR) + "\\", 0), 0u) << plug->Path;
    }
    EXPECT_EQ(host_.GetPlugIn(-1), nullptr);
    EXPECT_EQ(host_.GetPlugIn(7), nullptr);
    for (const char* rejected : {"archive", "no_support", "pnm_foreign", "missing"})
        EXPECT_EQ(host_.LoadPlugIns(PlugIn(rejected)), 0) << rejected;
    EXPECT_EQ(host_.LoadPlugIns(WindowsPath(IMVEXA_TEST_PLUGINS_DIR) + "\\*.nothing"), 0);

    host_.UnloadPlugIns();
    EXPECT_EQ(host_.PlugInCount(), 0);
    EXPECT_EQ(host_.GetPlugIn(0), nullptr);
    EXPECT_TRUE(ChildProcesses(kHost).empty());
}

TEST_F(SusieHostTest, AcceptsAPathOnce) {
    ASSERT_EQ(host_.LoadPlugIns(PlugIn("pnm")), 1);
    const std::string filter = host_.Filter;
    EXPECT_EQ(filter, "AllType   [*.*]|*.*|Portable anymap   [*.PPM;*.PGM]|*.PPM;*.PGM|");
    EXPECT_EQ(host_.LoadPlugIns(PlugIn("pnm")), 0);
    EXPECT_EQ(host_.PlugInCount(), 1);
    EXPECT_EQ(host_.Filter, filter);
    TPlug copy;
    host_.CopyPlugIn(0, copy);
    EXPECT_EQ(copy.Path, PlugIn("pnm"));
    EXPECT_EQ(copy.TypeName, "Portable anymap");
    EXPECT_THROW(host_.CopyPlugIn(1, copy), std::out_of_range);
}

TEST_F(SusieHostTest, TheFirstPlugInThatDecodesWins) {
    const std::string file = Ppm();
    host_.LoadPlugIns(PlugIn("failing"));   // accepts and fails: passed over
    host_.LoadPlugIns(PlugIn("top_down"));  // decodes P6 files into its own picture
    host_.LoadPlugIns(PlugIn("pnm"));
    TBitmap bitmap;
    ASSERT_TRUE(host_.LoadPictureFromFile(file, bitmap));
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Height(), 2);  // the top-down picture, upright with a positive height
    EXPECT_EQ(At(bitmap, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(bitmap, 1, 1), RGB(0, 0, 255));

    TSusiePlugIn other;
    other.LoadPlugIns(PlugIn("pnm"));
    other.LoadPlugIns(PlugIn("top_down"));
    TBitmap picture;
    ASSERT_TRUE(other.LoadPictureFromFile(file, picture));
    EXPECT_EQ(picture.Height(), 1);
    EXPECT_EQ(At(picture, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(picture, 1, 0), RGB(0, 255, 0));
}

TEST_F(SusieHostTest, ConvertsEightBitPicturesIntoTheBitmapsFormat) {
    host_.LoadPlugIns(PlugIn("pnm"));
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::Bit24);
    ASSERT_TRUE(host_.LoadPictureFromFile(WriteFile("grey.pgm", std::string("P5 3 2 255\n\x10\x80\xF0\x00\x40\xFF", 17)),
                                          bitmap));
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit24);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(At(bitmap, 1, 0), RGB(0x80, 0x80, 0x80));
    EXPECT_EQ(At(bitmap, 2, 1), RGB(0xFF, 0xFF, 0xFF));
}

TEST_F(SusieHostTest, FilesNoPlugInReadsLeaveTheBitmapAlone) {
    host_.LoadPlugIns(PlugIn("pnm"));
    TBitmap bitmap;
    EXPECT_FALSE(host_.LoadPictureFromFile(WriteFile("empty.ppm", ""), bitmap));
    EXPECT_FALSE(host_.LoadPictureFromFile(WriteFile("text.ppm", "hello"), bitmap));
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_THROW(host_.LoadPictureFromFile((folder_ / "missing.ppm").string(), bitmap), Exception);
}

// A plug-in that crashes or hangs its host costs the file it was given: the
// next file starts a new host, and this process goes on.
TEST_F(SusieHostTest, AHostThatCrashesOrHangsCostsOnlyItsFile) {
    constexpr auto kShortTimeout = 3s;
    const struct {
        const char* plugIn;
        std::string file;
    } cases[] = {
        {"crashing", "P6 2 1 255\nCRASH\x01"},        // faults in GetPicture
        {"crashing_check", "P6 2 1 255\nCRASH\x01"},  // faults in IsSupported
        {"hanging", "P6 2 1 255\nHANG\x01\x02"},      // never returns from GetPicture
    };
    for (const auto& [plugIn, file] : cases) {
        TSusiePlugIn host(std::chrono::milliseconds(kShortTimeout).count());
        host.LoadPlugIns(PlugIn(plugIn));
        host.LoadPlugIns(PlugIn("pnm"));  // would decode the file, after the bad one
        for (int i = 0; i < 2; ++i) {
            TBitmap bitmap;
            const auto start = std::chrono::steady_clock::now();
            EXPECT_FALSE(host.LoadPictureFromMemory(file.data(), file.size(), bitmap)) << plugIn;
            EXPECT_LT(std::chrono::steady_clock::now() - start, kShortTimeout + 5s) << plugIn;
            EXPECT_TRUE(bitmap.Empty()) << plugIn;
            ExpectThePpm(host);
        }
    }
}

TEST_F(SusieHostTest, AHostKilledBetweenTwoCallsIsStartedAgain) {
    host_.LoadPlugIns(PlugIn("pnm"));
    ExpectThePpm(host_);
    ASSERT_EQ(ChildProcesses(kHost).size(), 1u);
    KillPlugInHosts();
    ExpectThePpm(host_);
    EXPECT_EQ(ChildProcesses(kHost).size(), 1u);
}

TEST_F(SusieHostTest, WhatAPlugInLeaksStaysInItsHost) {
    host_.LoadPlugIns(PlugIn("leaking"));  // 64 MiB on every call
    const std::string file = "LEAK";
    TBitmap bitmap;
    ASSERT_TRUE(host_.LoadPictureFromMemory(file.data(), file.size(), bitmap));
    const std::uint64_t before = CommittedPrivateBytes();
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(host_.LoadPictureFromMemory(file.data(), file.size(), bitmap));
    EXPECT_EQ(At(bitmap, 0, 0), RGB(255, 255, 255));
    EXPECT_LT(CommittedPrivateBytes(), before + (8 << 20));
}

// The leaking plug-in keeps 64 MiB more after every call: with room for four
// leaks, the host ends itself after the call that passes the limit (at the
// fourth leak at the latest), that file is lost, and the next file starts a
// new host.
TEST_F(SusieHostTest, AHostThatKeepsTooMuchMemoryEndsAndTheNextFileStartsANewOne) {
    constexpr std::uint64_t kLeak = 64 << 20;
    constexpr int kLeaksAllowed = 4;
    TSusiePlugIn host(kPlugInCallTimeout, kLeaksAllowed * kLeak);
    host.LoadPlugIns(PlugIn("leaking"));
    const std::string file = "LEAK";
    TBitmap bitmap;
    int decoded = 0;
    while (decoded <= kLeaksAllowed && host.LoadPictureFromMemory(file.data(), file.size(), bitmap)) ++decoded;
    EXPECT_GE(decoded, 1);
    EXPECT_LT(decoded, kLeaksAllowed);
    EXPECT_TRUE(host.LoadPictureFromMemory(file.data(), file.size(), bitmap));
    EXPECT_EQ(ChildProcesses(kHost).size(), 1u);
}

TEST_F(SusieHostTest, ServesSeveralThreadsAtOnce) {
    host_.LoadPlugIns(PlugIn("pnm"));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            // Each thread's own colour, one pixel.
            const std::string file = std::string("P6 1 1 255\n") + char(t * 60) + char(255 - t) + char(7);
            for (int i = 0; i < 10; ++i) {
                TBitmap bitmap;
                ASSERT_TRUE(host_.LoadPictureFromMemory(file.data(), file.size(), bitmap));
                EXPECT_EQ(At(bitmap, 0, 0), RGB(t * 60, 255 - t, 7));
            }
        });
    for (std::thread& thread : threads) thread.join();
}

}  // namespace
}  // namespace imvexa
