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

private:
    TClassFactory() = default;
};

}  // namespace imvexa
