#pragma once
// The per-extension thumbnail handler keys, with a backup of any other
// handler found there (the class keys: TClassFactory::UpdateRegistry).
#include <string>

namespace imvexa {

inline constexpr char kExtractorClassText[] = "{5A3C9E71-2B84-4F6D-9C13-7E2A4B8D0F65}";
inline constexpr char kThumbnailHandlerKey[] = "{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}";
inline constexpr char kBackupValue[] = "Backuped by Imvexa";

// The handler key of an extension below HKEY_CLASSES_ROOT.
std::string HandlerKey(const std::string& extension);

void RegisterAllHandlers();
void RegisterHandlerList(const std::string& slashList);
void RegisterHandler(const std::string& extension);
void UnregisterAllHandlers();
void UnregisterHandler(const std::string& extension);

}  // namespace imvexa
