#pragma once
// Asks an extractor's class factory for one file's thumbnail the way Explorer
// does: a new object, Load, GetLocation with a 120 × 120 request, Extract.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <filesystem>

#include "Owners.h"

namespace imvexa {

// The result of the first step that failed, or of Extract; the thumbnail
// goes to `thumbnail` when there is one.
inline HRESULT ExtractAsExplorer(IClassFactory& factory, const std::filesystem::path& file, win32::Bitmap& thumbnail) {
    IPersistFile* persist = nullptr;
    IExtractImage* extractor = nullptr;
    HRESULT hr = factory.CreateInstance(nullptr, IID_IPersistFile, reinterpret_cast<void**>(&persist));
    if (SUCCEEDED(hr)) hr = persist->Load(file.c_str(), STGM_READ);
    if (SUCCEEDED(hr)) hr = persist->QueryInterface(IID_IExtractImage, reinterpret_cast<void**>(&extractor));
    if (SUCCEEDED(hr)) {
        wchar_t location[MAX_PATH] = {};
        DWORD priority = 0, flags = 0;
        const SIZE size{120, 120};
        extractor->GetLocation(location, MAX_PATH, &priority, &size, 32, &flags);
        HBITMAP bitmap = nullptr;
        hr = extractor->Extract(&bitmap);
        thumbnail.Reset(bitmap);
    }
    if (extractor) extractor->Release();
    if (persist) persist->Release();
    return hr;
}

}  // namespace imvexa
