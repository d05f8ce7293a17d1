#include "TokenCut.h"

namespace imvexa {

void TTokenCutter::SetText(std::string_view text) {
    text_.assign(text);
    text_ += ' ';
    end_ = text_.size() - 1;
    pos_ = 0;
}

std::string TTokenCutter::NextBy(char separator) {
    if (IsEmpty()) return {};
    // The final piece ends at the stand-in, whatever the separator is this time.
    text_[end_] = separator;
    const std::size_t stop = text_.find(separator, pos_);
    std::string_view piece(text_.data() + pos_, stop - pos_);
    piece = piece.substr(0, piece.find('\0'));
    std::string result(piece);
    pos_ = stop + 1;
    if (pos_ > end_) text_.clear();
    return result;
}

}  // namespace imvexa
