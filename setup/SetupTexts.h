#pragma once
// The names and texts of installation and removal. Compiled with the
// Shift_JIS execution character set, like every user-visible text.

namespace imvexa {

inline constexpr char kModuleFile[] = "Vignar.cpl";
inline constexpr char kLauncherFile[] = "Vignar.exe";
inline constexpr char kReadMeFile[] = "Vignar.txt";

inline constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Imvexa";
inline constexpr char kDisplayName[] = "Imvexa Version 1.0.3";
inline constexpr char kDisplayVersion[] = "1.0.3";
inline constexpr char kPublisher[] = "VELKOR";

inline constexpr char kSetupCaption[] = "Imvexa";
inline constexpr char kMsgInstalled[] = "アプリケーションは正常にインストールされました。";
inline constexpr char kMsgConfirmUninstall[] =
    "選択したアプリケーションと関連する構成要素の全てを削除してもよろしいですか？";
inline constexpr char kMsgRemoveSettings[] =
    "アプリケーションが使用したレジストリエントリを削除してもよろしいですか？"
    "バージョンアップを行う場合は削除しないことをおすすめします。";
inline constexpr char kMsgRestart[] =
    "アプリケーションを完全に削除するには Windows を再起動する必要があります。"
    "Windows を再起動してもよろしいですか？";

}  // namespace imvexa
