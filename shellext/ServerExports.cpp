#include <windows.h>
#include <objbase.h>

// The COM server entries. The extractor class arrives with the extractor
// work; until then no class is available and registration is not offered.
extern "C" {

HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, void** object) {
    if (object) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT WINAPI DllCanUnloadNow() { return S_OK; }

HRESULT WINAPI DllRegisterServer() { return E_NOTIMPL; }

HRESULT WINAPI DllUnregisterServer() { return E_NOTIMPL; }

}  // extern "C"
