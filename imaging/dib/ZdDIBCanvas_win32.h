#pragma once
// TZdDIBCanvas: a device context that draws straight into a DIB image's own
// pixel memory, through a DIB section opened on the image's file mapping.
#include <windows.h>

#include <optional>

#include "Owners.h"
#include "ZdDIB.h"

namespace imvexa {

class TZdDIBCanvas {
public:
    // Raises EZdDIBCanvasFailed for a null image or one without file-mapping
    // memory, EOutOfResources when GDI refuses the context or the section.
    explicit TZdDIBCanvas(TZdDIB* image);
    // Gives the image back its pixels and notifies it of the change; throws
    // nothing (a failing notice is dropped).
    ~TZdDIBCanvas();
    TZdDIBCanvas(const TZdDIBCanvas&) = delete;
    TZdDIBCanvas& operator=(const TZdDIBCanvas&) = delete;

    HDC Handle() const { return gdi_->dc.Get(); }

private:
    // The context and what is selected into it, let go in reverse order.
    struct Selection {
        win32::MemoryDC dc;
        win32::SelectedPalette palette;
        win32::Bitmap section;
        win32::SelectedObject selectedSection;
    };

    // Selects the image's palette and a DIB section on its pixel memory.
    void SelectImage();

    TZdDIB* image_;
    std::optional<Selection> gdi_;
};

// Sets an image's HalftoneMode for a scope and restores it afterwards.
class HalftoneModeScope {
public:
    HalftoneModeScope(TZdDIB& image, std::uint8_t mode) : image_(image), saved_(image.HalftoneMode) {
        image.HalftoneMode = mode;
    }
    ~HalftoneModeScope() { image_.HalftoneMode = saved_; }
    HalftoneModeScope(const HalftoneModeScope&) = delete;
    HalftoneModeScope& operator=(const HalftoneModeScope&) = delete;

private:
    TZdDIB& image_;
    std::uint8_t saved_;
};

}  // namespace imvexa
