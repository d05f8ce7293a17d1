#pragma once
// The per-extension thumbnail handler keys of the shell's two thumbnail
// interfaces, each with a backup of any other handler found there (the class
// keys: TClassFactory::UpdateRegistry).
#include <string>

namespace imvexa {

inline constexpr char kExtractorClassText[] = "{5A3C9E71-2B84-4F6D-9C13-7E2A4B8D0F65}";
inline constexpr char kProviderClassText[] = "{CD5D2946-6ADC-47FC-8CF3-040B2BE47F1A}";
// The handler keys of the shell's interfaces IExtractImage and IThumbnailProvider.
inline constexpr char kThumbnailHandlerKey[] = "{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}";
inline constexpr char kThumbnailProviderKey[] = "{e357fccd-a995-4576-b01f-234630154e96}";
inline constexpr char kBackupValue[] = "Backuped by Imvexa";

// An interface's handler key and the class this module registers there.
struct ThumbnailHandler {
    const char* interfaceKey;
    const char* classText;
};
inline constexpr ThumbnailHandler kThumbnailHandlers[] = {{kThumbnailHandlerKey, kExtractorClassText},
                                                          {kThumbnailProviderKey, kProviderClassText}};

// The handler key of an extension below HKEY_CLASSES_ROOT.
std::string HandlerKey(const std::string& extension, const char* interfaceKey = kThumbnailHandlerKey);

void RegisterAllHandlers();
void RegisterHandlerList(const std::string& slashList);
void RegisterHandler(const std::string& extension);
void UnregisterAllHandlers();
void UnregisterHandler(const std::string& extension);

}  // namespace imvexa
