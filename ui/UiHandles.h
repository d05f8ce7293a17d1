#pragma once
// Owners of the GDI and user objects that the dialogs create.
#include <windows.h>

#include <memory>
#include <type_traits>

namespace imvexa::ui {

struct GdiObjectDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};

using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

}  // namespace imvexa::ui
