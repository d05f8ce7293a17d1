#pragma once
// The system's user-visible texts. This file is compiled with the Shift_JIS
// execution character set (see shellext/CMakeLists.txt), so the Japanese
// literals become the code-page-932 bytes the ANSI Windows functions expect.

namespace imvexa {

inline constexpr const char kMsgRegSetDataFailed[] = "'%s' の設定に失敗しました";
inline constexpr const char kMsgInvalidRegType[] = "'%s' のデータ型が正しくありません";

}  // namespace imvexa
