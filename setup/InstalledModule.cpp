#include "InstalledModule.h"

namespace imvexa {

bool InstalledModule::CallEntry(const char* name) const {
    using Entry = HRESULT(WINAPI*)();
    const auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), name)));
    return entry && entry() == S_OK;
}

}  // namespace imvexa
