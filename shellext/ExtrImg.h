#pragma once
// TExtractImage: the thumbnail extractor object the shell creates for a file.
#include <windows.h>
#include <objidl.h>
#include <oaidl.h>
#include <shobjidl.h>

#include <atomic>
#include <string>

namespace imvexa {

class TExtractImage final : public IPersistFile, public IExtractImage, public ISupportErrorInfo {
public:
    // Creates an object (aggregated under outer when given) and queries it for riid.
    static HRESULT Create(IUnknown* outer, REFIID riid, void** object);

    // IUnknown: delegates to the outer object when aggregated.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override { return outer_->QueryInterface(riid, object); }
    STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

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
    // The object's own IUnknown: the one an aggregating outer object holds.
    struct InnerUnknown final : IUnknown {
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        TExtractImage* self;
    };

    explicit TExtractImage(IUnknown* outer);
    ~TExtractImage();

    // The interface of this object for riid (not yet referenced), or null.
    IUnknown* InterfaceFor(REFIID riid);

    InnerUnknown inner_;
    IUnknown* outer_;
    std::atomic<ULONG> references_{1};

    std::wstring FPath;      // as the shell gave it: Extract reaches the file through it
    std::string FExtension;  // the extension key
};

}  // namespace imvexa
