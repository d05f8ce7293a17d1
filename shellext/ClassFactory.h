#pragma once
// The class factory of the extractor: one static instance per process.
#include <windows.h>
#include <unknwn.h>

namespace imvexa {

extern const CLSID CLSID_ExtractImage;

class TClassFactory final : public IClassFactory {
public:
    static TClassFactory& Instance();

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

    // Self-registration (Registration.cpp): the class registration, then the
    // handlers, or their removal. Every error is swallowed and ends the update
    // where it happened.
    static void UpdateRegistry(bool registering);

private:
    TClassFactory() = default;
};

}  // namespace imvexa
