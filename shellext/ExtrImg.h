#pragma once
// TExtractImage: the thumbnail extractor object the shell creates for a file.
#include <windows.h>
#include <objidl.h>
#include <oaidl.h>
#include <shobjidl.h>

#include <string>

#include "ComObject.h"

namespace imvexa {

class TExtractImage final : public TComObject<IPersistFile, IExtractImage, ISupportErrorInfo> {
public:
    // Creates an object (aggregated under outer when given) and queries it for riid.
    static HRESULT Create(IUnknown* outer, REFIID riid, void** object);

    // IPersist / IPersistFile
    STDMETHODIMP GetClassID(CLSID* classId) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPCOLESTR fileName, DWORD mode) override;
    STDMETHODIMP Save(LPCOLESTR fileName, BOOL remember) override;
    STDMETHODIMP SaveCompleted(LPCOLESTR fileName) override;
    STDMETHODIMP GetCurFile(LPOLESTR* fileName) override;

    // IExtractImage
    STDMETHODIMP GetLocation(LPWSTR pathBuffer, DWORD pathBufferSize, DWORD* priority, const SIZE* size,
                             DWORD recommendedColorDepth, DWORD* flags) override;
    STDMETHODIMP Extract(HBITMAP* thumbnail) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    using TComObject::TComObject;

    IUnknown* InterfaceFor(REFIID riid) override;

    std::wstring FPath;      // as the shell gave it: Extract reaches the file through it
    std::string FExtension;  // the extension key
};

}  // namespace imvexa
