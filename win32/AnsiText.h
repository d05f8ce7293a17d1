#pragma once
// UTF-16 text in the system ANSI code page.
#include <windows.h>

#include <string>
#include <string_view>

namespace imvexa {

// The text converted with WideCharToMultiByte(CP_ACP, flags). With
// WC_NO_BEST_FIT_CHARS a character the code page lacks becomes its default
// character ("?", which no file name holds) instead of a look-alike, so the
// result of a path never names another file.
std::string AnsiText(std::wstring_view text, DWORD flags);

// Whether every character of the text has its own form in the ANSI code page.
bool HasAnsiForm(std::wstring_view text);

// ANSI code-page text as UTF-16.
std::wstring WideText(std::string_view ansi);

// Whether byte starts a double-byte character of the ANSI code page.
inline bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace imvexa
