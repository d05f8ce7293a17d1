// Susie picture plug-ins built as test fixtures, one kind per library
// (PLUGIN_KIND):
//   PNM        reads binary PPM (P6, as a bottom-up 24-bit DIB) and PGM (P5,
//              as a bottom-up 8-bit DIB with a grey colour table)
//   FAILING    accepts every file, fails every GetPicture
//   ARCHIVE    reports the archive API version "00AM"
//   NO_SUPPORT has no IsSupported export
//   TOP_DOWN   accepts P6 files and returns a 2 × 2 top-down DIB: red top row, blue bottom row
//   CRASHING   accepts files that hold "CRASH" in their first 32 bytes and faults
//              in GetPicture
//   CRASHING_CHECK  faults in IsSupported on files that hold "CRASH" in their
//              first 32 bytes, accepts no file
//   HANGING    accepts files that hold "HANG" in their first 32 bytes and never
//              returns from GetPicture
//   LEAKING    accepts files that hold "LEAK" in their first 32 bytes, commits
//              and never frees 64 MiB on every GetPicture, and returns a 1 × 1
//              white picture
#include <windows.h>

#include <cstdio>
#include <cstring>

#define PNM 1
#define FAILING 2
#define ARCHIVE 3
#define NO_SUPPORT 4
#define TOP_DOWN 5
#define CRASHING 6
#define CRASHING_CHECK 7
#define HANGING 8
#define LEAKING 9

namespace {

const char* const kInfo[] = {
#if PLUGIN_KIND == ARCHIVE
    "00AM",
#else
    "00IN",
#endif
    "Imvexa test plug-in", "*.ppm;*.pgm", "Portable anymap"};

[[maybe_unused]] bool StartsWith(const char* data, const char* prefix) { return std::strncmp(data, prefix, std::strlen(prefix)) == 0; }

// The host hands over whole 8192-byte blocks, so the first 32 bytes are readable.
[[maybe_unused]] bool Holds(const char* data, const char* marker) {
    const std::size_t length = std::strlen(marker);
    for (std::size_t i = 0; i + length <= 32; ++i)
        if (std::memcmp(data + i, marker, length) == 0) return true;
    return false;
}

// Allocates the two blocks the host receives: the header with its colours, and the rows.
bool Deliver(const BITMAPINFOHEADER& header, const RGBQUAD* colors, int colorCount, const void* rows,
             std::size_t rowBytes, HLOCAL* info, HLOCAL* bits) {
    *info = LocalAlloc(LMEM_FIXED, sizeof header + sizeof(RGBQUAD) * colorCount);
    *bits = LocalAlloc(LMEM_FIXED, rowBytes);
    if (!*info || !*bits) return false;
    std::memcpy(*info, &header, sizeof header);
    if (colorCount) std::memcpy(static_cast<char*>(*info) + sizeof header, colors, sizeof(RGBQUAD) * colorCount);
    std::memcpy(*bits, rows, rowBytes);
    return true;
}

BITMAPINFOHEADER Header(int width, int height, int bits, int colors) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    header.biClrUsed = static_cast<DWORD>(colors);
    return header;
}

[[maybe_unused]] int DecodeAnymap(const char* data, LONG_PTR size, HLOCAL* info, HLOCAL* bits) {
    int width = 0, height = 0, maximum = 0, consumed = 0;
    const bool colour = StartsWith(data, "P6");
    if (std::sscanf(data + 2, "%d %d %d%n", &width, &height, &maximum, &consumed) != 3 || width <= 0 || height <= 0)
        return 2;
    const int channels = colour ? 3 : 1;
    const char* pixels = data + 2 + consumed + 1;
    if (pixels + static_cast<LONG_PTR>(width) * height * channels > data + size) return 2;
    const int stride = (width * channels + 3) & ~3;
    char* rows = static_cast<char*>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, static_cast<SIZE_T>(stride) * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)  // bottom-up rows, blue-green-red order
                rows[(height - 1 - y) * stride + x * channels + (channels - 1 - c)] =
                    pixels[(y * width + x) * channels + c];
    RGBQUAD grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    const bool ok = Deliver(Header(width, height, colour ? 24 : 8, colour ? 0 : 256), grey, colour ? 0 : 256, rows,
                            static_cast<std::size_t>(stride) * height, info, bits);
    LocalFree(rows);
    return ok ? 0 : 4;
}

[[maybe_unused]] int DecodeLeaking(HLOCAL* info, HLOCAL* bits) {
    constexpr SIZE_T kLeak = SIZE_T{64} << 20;
    if (void* lost = VirtualAlloc(nullptr, kLeak, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
        std::memset(lost, 0x5A, kLeak);
    const BYTE white[4] = {255, 255, 255, 0};
    return Deliver(Header(1, 1, 24, 0), nullptr, 0, white, sizeof white, info, bits) ? 0 : 4;
}

[[maybe_unused]] int DecodeTopDown(HLOCAL* info, HLOCAL* bits) {
    const BYTE rows[2][8] = {{0, 0, 255, 0, 0, 255, 0, 0}, {255, 0, 0, 255, 0, 0, 0, 0}};  // red, then blue
    return Deliver(Header(2, -2, 24, 0), nullptr, 0, rows, sizeof rows, info, bits) ? 0 : 4;
}

}  // namespace

extern "C" {

__declspec(dllexport) int WINAPI GetPluginInfo(int infoNumber, LPSTR buffer, int length) {
    if (infoNumber < 0 || infoNumber > 3 || length <= 0) return 0;
    std::strncpy(buffer, kInfo[infoNumber], static_cast<std::size_t>(length));
    buffer[length - 1] = '\0';
    return static_cast<int>(std::strlen(buffer));
}

#if PLUGIN_KIND != NO_SUPPORT
__declspec(dllexport) int WINAPI IsSupported(LPCSTR, DWORD_PTR data) {
    const char* head = reinterpret_cast<const char*>(data);
#if PLUGIN_KIND == PNM
    return StartsWith(head, "P6") || StartsWith(head, "P5");
#elif PLUGIN_KIND == TOP_DOWN
    return StartsWith(head, "P6");
#elif PLUGIN_KIND == CRASHING
    return Holds(head, "CRASH");
#elif PLUGIN_KIND == CRASHING_CHECK
    return Holds(head, "CRASH") ? *static_cast<volatile int*>(nullptr) : 0;
#elif PLUGIN_KIND == HANGING
    return Holds(head, "HANG");
#elif PLUGIN_KIND == LEAKING
    return Holds(head, "LEAK");
#else
    (void)head;
    return 1;
#endif
}
#endif

__declspec(dllexport) int WINAPI GetPicture(LPCSTR data, LONG_PTR size, unsigned int flag, HLOCAL* info,
                                            HLOCAL* bits, int(WINAPI* progress)(int, int, LONG_PTR),
                                            LONG_PTR userValue) {
    if (flag != 1 || !progress || progress(0, 1, userValue) != 0) return 1;
#if PLUGIN_KIND == PNM
    return DecodeAnymap(data, size, info, bits);
#elif PLUGIN_KIND == TOP_DOWN
    (void)data, (void)size;
    return DecodeTopDown(info, bits);
#elif PLUGIN_KIND == CRASHING
    (void)data, (void)size, (void)info, (void)bits;
    return *static_cast<volatile int*>(nullptr);
#elif PLUGIN_KIND == HANGING
    (void)data, (void)size, (void)info, (void)bits;
    for (;;) Sleep(INFINITE);
#elif PLUGIN_KIND == LEAKING
    (void)data, (void)size;
    return DecodeLeaking(info, bits);
#else
    (void)data, (void)size, (void)info, (void)bits;
    return 1;
#endif
}

}  // extern "C"
