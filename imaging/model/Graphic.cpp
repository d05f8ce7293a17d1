#include "Graphic.h"

#include "RuntimeErrors.h"

namespace imvexa {

void TGraphic::LoadFromFile(const std::string& path) {
    TFileStream stream(path, FileMode::OpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& path) {
    TFileStream stream(path, FileMode::Create);
    SaveToStream(stream);
}

void TGraphic::Assign(const TGraphic* source) {
    if (source == nullptr) AssignError(nullptr);
    source->AssignTo(*this);
}

void TGraphic::AssignTo(TGraphic& destination) const {
    destination.AssignError(this);
}

void TGraphic::AssignError(const TGraphic* source) const {
    const std::string sourceName = source != nullptr ? source->ClassName() : "nil";
    throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

void TGraphic::Changed() {
    Modified = true;
    if (OnChange) OnChange(*this);
}

void TGraphic::Progress(ProgressStage stage, int percent, bool redrawNow, const Rect& rect,
                        const std::string& message) {
    if (OnProgress) OnProgress(*this, stage, percent, redrawNow, rect, message);
}

}  // namespace imvexa
