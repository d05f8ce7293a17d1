#include "ClassFactory.h"

#include "ExtrImg.h"
#include "ServerCounts.h"
#include "ThumbnailProvider.h"

namespace imvexa {

// {5A3C9E71-2B84-4F6D-9C13-7E2A4B8D0F65}
const CLSID CLSID_ExtractImage = {0x5A3C9E71, 0x2B84, 0x4F6D, {0x9C, 0x13, 0x7E, 0x2A, 0x4B, 0x8D, 0x0F, 0x65}};

// {CD5D2946-6ADC-47FC-8CF3-040B2BE47F1A}
const CLSID CLSID_ThumbnailProvider = {0xCD5D2946, 0x6ADC, 0x47FC, {0x8C, 0xF3, 0x04, 0x0B, 0x2B, 0xE4, 0x7F, 0x1A}};

ServerCounts& Counts() {
    static ServerCounts counts;
    return counts;
}

TClassFactory* TClassFactory::For(REFCLSID classId) {
    static TClassFactory extractors(&TExtractImage::Create);
    static TClassFactory providers(&TThumbnailProvider::Create);
    if (IsEqualCLSID(classId, CLSID_ExtractImage)) return &extractors;
    if (IsEqualCLSID(classId, CLSID_ThumbnailProvider)) return &providers;
    return nullptr;
}

STDMETHODIMP TClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The factory lives as long as the module; its references only keep the
// module from unloading.
STDMETHODIMP_(ULONG) TClassFactory::AddRef() { return static_cast<ULONG>(++Counts().factoryReferences); }
STDMETHODIMP_(ULONG) TClassFactory::Release() { return static_cast<ULONG>(--Counts().factoryReferences); }

STDMETHODIMP TClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    try {
        return create_(outer, riid, object);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDMETHODIMP TClassFactory::LockServer(BOOL lock) {
    const HRESULT result = CoLockObjectExternal(this, lock, TRUE);
    auto& locks = Counts().locks;
    if (lock) {
        ++locks;
    } else {
        // An unlock without a lock must not make the count negative, or a
        // later lock would no longer keep the module loaded.
        long held = locks.load();
        while (held > 0 && !locks.compare_exchange_weak(held, held - 1)) {
        }
    }
    return result;
}

}  // namespace imvexa
