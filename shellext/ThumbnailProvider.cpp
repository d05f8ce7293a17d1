#include "ThumbnailProvider.h"

#include <shlwapi.h>

#include <limits>
#include <new>

#include "AnsiText.h"
#include "ExtensionKey.h"
#include "Owners.h"
#include "ProviderThumbnail.h"
#include "StreamBytes.h"
#include "TextPage.h"
#include "Thumbnail.h"

namespace imvexa {

HRESULT TThumbnailProvider::Create(IUnknown* outer, REFIID riid, void** object) {
    return Hand(new (std::nothrow) TThumbnailProvider(outer), riid, object);
}

IUnknown* TThumbnailProvider::InterfaceFor(REFIID riid) {
    if (IsEqualIID(riid, IID_IInitializeWithStream)) return static_cast<IInitializeWithStream*>(this);
    if (IsEqualIID(riid, IID_IInitializeWithFile)) return static_cast<IInitializeWithFile*>(this);
    if (IsEqualIID(riid, __uuidof(IThumbnailProvider))) return static_cast<IThumbnailProvider*>(this);
    return nullptr;
}

HRESULT TThumbnailProvider::Take(IStream* stream, const std::wstring& name) {
    if (initialized_) return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
    try {
        extension_ = ExtensionKey(AnsiText(name, WC_NO_BEST_FIT_CHARS), IsAnsiLeadByte);
        const bool text = IsTextExtension(extension_);
        bytes_ = ReadStreamBytes(stream, text ? kTextPageBytes : std::numeric_limits<std::size_t>::max());
        initialized_ = true;
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP TThumbnailProvider::Initialize(IStream* stream, DWORD) {
    if (!stream) return E_INVALIDARG;
    return Take(stream, StreamName(stream));
}

STDMETHODIMP TThumbnailProvider::Initialize(LPCWSTR path, DWORD) {
    if (!path) return E_INVALIDARG;
    IStream* opened = nullptr;
    const HRESULT hr =
        SHCreateStreamOnFileEx(path, STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &opened);
    const win32::ComInterface<IStream> stream(opened);
    if (FAILED(hr)) return hr;
    return Take(stream.Get(), path);
}

STDMETHODIMP TThumbnailProvider::GetThumbnail(UINT size, HBITMAP* bitmap, WTS_ALPHATYPE* alpha) {
    if (!bitmap || !alpha) return E_POINTER;
    *bitmap = nullptr;
    *alpha = WTSAT_UNKNOWN;
    if (!initialized_) return E_UNEXPECTED;
    if (size == 0 || size > static_cast<UINT>(kMaxProviderSize)) return E_INVALIDARG;
    try {
        ProviderThumbnail thumbnail = MakeProviderThumbnail(bytes_, extension_, static_cast<int>(size));
        if (!thumbnail.bitmap) return E_FAIL;
        *alpha = thumbnail.hasAlpha ? WTSAT_ARGB : WTSAT_RGB;
        *bitmap = thumbnail.bitmap.Release();
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace imvexa
