#pragma once
// TThumbnailProvider: the thumbnail object of today's shell, which asks for
// a thumbnail at a size of its choosing and takes a 32-bit bitmap with alpha.
#include <windows.h>
#include <propsys.h>
#include <thumbcache.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ComObject.h"

namespace imvexa {

class TThumbnailProvider final
    : public TComObject<IInitializeWithStream, IInitializeWithFile, IThumbnailProvider> {
public:
    // Creates an object (aggregated under outer when given) and queries it for riid.
    static HRESULT Create(IUnknown* outer, REFIID riid, void** object);

    // IInitializeWithStream: the file's bytes, its extension key from the
    // stream's name. The stream is read here and not kept.
    STDMETHODIMP Initialize(IStream* stream, DWORD mode) override;
    // IInitializeWithFile: the file's bytes and extension key from its path.
    STDMETHODIMP Initialize(LPCWSTR path, DWORD mode) override;

    // IThumbnailProvider: a 32-bit top-down DIB section that fits a size ×
    // size square, never larger than the picture; alpha WTSAT_ARGB (straight)
    // for a picture with transparency, else WTSAT_RGB.
    STDMETHODIMP GetThumbnail(UINT size, HBITMAP* bitmap, WTS_ALPHATYPE* alpha) override;

private:
    using TComObject::TComObject;

    IUnknown* InterfaceFor(REFIID riid) override;
    // Keeps the extension key of the file's name and reads from the stream
    // what the thumbnail needs: for a text page only the first bytes.
    HRESULT Take(IStream* stream, const std::wstring& name);

    bool initialized_ = false;
    std::string extension_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace imvexa
