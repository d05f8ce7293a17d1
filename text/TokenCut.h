#pragma once
// Cuts a string into the pieces between separator characters, one piece per
// call, left to right. Pieces are not trimmed and empty ones are kept: a text
// with n separators gives n + 1 pieces, the empty text one empty piece.
#include <cstddef>
#include <string>
#include <string_view>

namespace imvexa {

class TTokenCutter {
public:
    // The separator that Next cuts at; set it directly after creating the cutter.
    char Separator = 0;

    // Loads a new text; the rest of the previous one is dropped.
    void SetText(std::string_view text);
    // True when no piece is left, also before the first SetText.
    bool IsEmpty() const { return text_.empty(); }
    std::string Next() { return NextBy(Separator); }
    // The next piece, cut at the given separator (which may change from call to
    // call); a NUL in the text also ends it. The empty string when none is left.
    std::string NextBy(char separator);

private:
    std::string text_;      // the loaded text plus one stand-in character for the final separator
    std::size_t end_ = 0;   // index of that stand-in
    std::size_t pos_ = 0;   // where the next piece starts
};

}  // namespace imvexa
