#include "ModuleSettings.h"

#include <mutex>

namespace imvexa {

std::string ModuleSettings::TextExtensionList() const {
    std::shared_lock read(TextExtensionsLock);
    return TextExtensions;
}

void ModuleSettings::SetTextExtensionList(std::string list) {
    std::unique_lock write(TextExtensionsLock);
    TextExtensions = std::move(list);
}

}  // namespace imvexa
