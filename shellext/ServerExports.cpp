// The COM server entries of Vignar.cpl.
#include <windows.h>
#include <objbase.h>

#include "ClassFactory.h"
#include "ModuleLifetime.h"
#include "ServerCounts.h"

using namespace imvexa;

extern "C" {

HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!StartModule()) return E_OUTOFMEMORY;
    TClassFactory* factory = TClassFactory::For(classId);
    return factory ? factory->QueryInterface(riid, object) : CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT WINAPI DllCanUnloadNow() {
    return Counts().InUse() ? S_FALSE : S_OK;
}

HRESULT WINAPI DllRegisterServer() {
    StartModule();
    TClassFactory::UpdateRegistry(true);
    return S_OK;
}

HRESULT WINAPI DllUnregisterServer() {
    StartModule();
    TClassFactory::UpdateRegistry(false);
    return S_OK;
}

}  // extern "C"
