#pragma once
// The class factories of the server's classes (the extractor and the
// thumbnail provider): one static instance per class and process.
#include <windows.h>
#include <unknwn.h>

namespace imvexa {

extern const CLSID CLSID_ExtractImage;
extern const CLSID CLSID_ThumbnailProvider;

class TClassFactory final : public IClassFactory {
public:
    // The factory of the class, or null for a class this server does not have.
    static TClassFactory* For(REFCLSID classId);

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
    // Creates an object (aggregated under outer when given) and queries it for riid.
    using Creator = HRESULT (*)(IUnknown* outer, REFIID riid, void** object);

    explicit TClassFactory(Creator create) : create_(create) {}

    Creator create_;
};

}  // namespace imvexa
