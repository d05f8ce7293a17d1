#include "SlashList.h"

#include "TokenCut.h"

namespace imvexa {

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view Trim(std::string_view piece) {
    while (!piece.empty() && IsBlankOrControl(piece.front())) piece.remove_prefix(1);
    while (!piece.empty() && IsBlankOrControl(piece.back())) piece.remove_suffix(1);
    return piece;
}

}  // namespace

std::vector<std::string> SlashListKeys(std::string_view list) {
    std::vector<std::string> keys;
    TTokenCutter cutter;
    cutter.Separator = '/';
    cutter.SetText(list);
    while (!cutter.IsEmpty()) {
        const std::string piece = cutter.Next();
        const std::string_view key = Trim(piece);
        if (!key.empty()) keys.emplace_back(key);
    }
    return keys;
}

}  // namespace imvexa
