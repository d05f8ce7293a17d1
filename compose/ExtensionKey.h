#pragma once
#include <string>

namespace imvexa {

// The extension key of a path: the characters after the last "." of the
// file-name part, ASCII letters upper-cased, without the dot; empty when the
// name has none. The last of ".", "\" and ":" decides, and the second byte of
// a double-byte character (isLeadByte names the first bytes) never counts.
std::string ExtensionKey(const std::string& path, bool (*isLeadByte)(unsigned char));

}  // namespace imvexa
