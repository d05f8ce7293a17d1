// answer_boxes.exe ANSWER...: answers the next message boxes captioned
// "Imvexa" in order, each ANSWER being ok, yes or no, and prints each box's
// text (UTF-8). Exit 0 when every box came, 1 when one did not within a
// minute, 2 on a usage error.
#include <cstdio>
#include <cstring>

#include "MessageBoxAnswerer.h"

namespace {

constexpr DWORD kBoxTimeoutMs = 60000;  // a Wine program's first start may take seconds

int AnswerId(const char* word) {
    if (std::strcmp(word, "ok") == 0) return IDOK;
    if (std::strcmp(word, "yes") == 0) return IDYES;
    if (std::strcmp(word, "no") == 0) return IDNO;
    return 0;
}

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (!AnswerId(argv[i])) {
            std::fprintf(stderr, "usage: answer_boxes ok|yes|no...\n");
            return 2;
        }
    for (int i = 1; i < argc; ++i) {
        const auto seen = imvexa::AnswerNextBox(AnswerId(argv[i]), kBoxTimeoutMs);
        if (!seen) {
            std::printf("no message box came for answer %d (%s)\n", i, argv[i]);
            return 1;
        }
        std::printf("box %d, answered %s: %s\n", i, argv[i], Utf8(seen->Text).c_str());
        std::fflush(stdout);
    }
    return 0;
}
