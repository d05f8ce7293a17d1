#pragma once
// The graphic interface shared by the platform bitmap and every decoder class.
#include <cstdint>
#include <functional>
#include <string>

#include "Palette.h"
#include "Stream.h"

namespace imvexa {

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

enum class ProgressStage { Starting, Running, Ending };

class TGraphic {
public:
    using ChangeEvent = std::function<void(TGraphic& sender)>;
    using ProgressEvent = std::function<void(TGraphic& sender, ProgressStage stage, int percent,
                                             bool redrawNow, const Rect& rect, const std::string& message)>;

    TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;
    virtual ~TGraphic() = default;

    virtual const char* ClassName() const = 0;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    virtual bool Empty() const = 0;

    // The palette stays owned by the graphic; null when it has none.
    virtual PaletteHandle Palette() = 0;
    // The graphic takes ownership of the handle.
    virtual void SetPalette(PaletteHandle palette) = 0;

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    // Opens the file for reading (others may read, not write) and loads from it.
    virtual void LoadFromFile(const std::string& path);
    // Creates the file and saves into it.
    virtual void SaveToFile(const std::string& path);

    // Makes this graphic a copy of source. The base asks the source to assign
    // itself to this graphic and fails for a null source.
    virtual void Assign(const TGraphic* source);
    // The base fails with EConvertError "Cannot assign a X to a Y".
    virtual void AssignTo(TGraphic& destination) const;

    // Raises EConvertError "Cannot assign a <source class or nil> to a <this class>".
    [[noreturn]] void AssignError(const TGraphic* source) const;

    bool Modified = false;
    bool PaletteModified = false;
    ChangeEvent OnChange;
    ProgressEvent OnProgress;

protected:
    // Marks the graphic modified and raises its change event.
    virtual void Changed();
    void Progress(ProgressStage stage, int percent, bool redrawNow, const Rect& rect, const std::string& message);
};

}  // namespace imvexa
