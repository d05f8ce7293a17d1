#include "ExtrImg.h"

#include <new>

#include "AnsiText.h"
#include "ClassFactory.h"
#include "ExtensionKey.h"
#include "Thumbnail.h"

namespace imvexa {

HRESULT TExtractImage::Create(IUnknown* outer, REFIID riid, void** object) {
    return Hand(new (std::nothrow) TExtractImage(outer), riid, object);
}

IUnknown* TExtractImage::InterfaceFor(REFIID riid) {
    if (IsEqualIID(riid, IID_IPersistFile) || IsEqualIID(riid, IID_IPersist)) return static_cast<IPersistFile*>(this);
    if (IsEqualIID(riid, IID_IExtractImage)) return static_cast<IExtractImage*>(this);
    if (IsEqualIID(riid, IID_ISupportErrorInfo)) return static_cast<ISupportErrorInfo*>(this);
    return nullptr;
}

STDMETHODIMP TExtractImage::GetClassID(CLSID* classId) {
    if (!classId) return E_POINTER;
    *classId = CLSID_ExtractImage;
    return S_OK;
}

STDMETHODIMP TExtractImage::IsDirty() { return E_NOTIMPL; }
STDMETHODIMP TExtractImage::Save(LPCOLESTR, BOOL) { return E_NOTIMPL; }
STDMETHODIMP TExtractImage::SaveCompleted(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP TExtractImage::GetCurFile(LPOLESTR*) { return E_NOTIMPL; }

STDMETHODIMP TExtractImage::Load(LPCOLESTR fileName, DWORD) {
    try {
        FPath = fileName ? fileName : L"";
        // The key comes from the path's ANSI form, where a character the code
        // page lacks is a "?" rather than a look-alike letter.
        FExtension = ExtensionKey(AnsiText(FPath, WC_NO_BEST_FIT_CHARS), IsAnsiLeadByte);
        return FPath.empty() ? E_FAIL : S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP TExtractImage::GetLocation(LPWSTR, DWORD, DWORD*, const SIZE*, DWORD, DWORD* flags) {
    return flags && (*flags & IEIFLAG_ASYNC) ? E_PENDING : S_OK;
}

STDMETHODIMP TExtractImage::Extract(HBITMAP* thumbnail) {
    if (!thumbnail) return E_POINTER;
    *thumbnail = nullptr;
    try {
        *thumbnail = ExtractThumbnail(FPath, FExtension);
        return *thumbnail ? S_OK : E_FAIL;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP TExtractImage::InterfaceSupportsErrorInfo(REFIID riid) { return Interface(riid) ? S_OK : S_FALSE; }

}  // namespace imvexa
