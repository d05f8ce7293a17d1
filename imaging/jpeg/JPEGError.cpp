#include "JPEGError.h"

#include <cstdio>

namespace imvexa {

namespace {

// The message is Japanese in the system's code page: these are the Shift_JIS
// bytes of "JPEG エラー #%d".
constexpr const char* kLibraryErrorFormat = "JPEG \x83\x47\x83\x89\x81\x5B #%d";

}  // namespace

EJPEG EJPEG::FromLibraryCode(int code) {
    char message[64];
    std::snprintf(message, sizeof message, kLibraryErrorFormat, code);
    return EJPEG(message);
}

}  // namespace imvexa
