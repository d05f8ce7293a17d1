#pragma once
// Builds MAG files in memory for the tests. Whatever is not set makes a
// well-formed file: a 16-colour 8 × 1 picture, stream offsets that follow
// each other, a palette whose entry i is (green i, red i + 1, blue i + 2).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace imvexa::test {

using Bytes = std::vector<std::uint8_t>;

class MagBuilder {
public:
    MagBuilder& Colors256() {
        screenMode_ |= 0x80;
        return *this;
    }
    MagBuilder& Lines200() {
        screenMode_ |= 0x01;
        return *this;
    }
    MagBuilder& Area(std::uint16_t leftX, std::uint16_t topY, std::uint16_t rightX, std::uint16_t bottomY) {
        area_ = {leftX, topY, rightX, bottomY};
        return *this;
    }
    MagBuilder& UserName(const std::string& name) {
        userName_ = name;
        return *this;
    }
    MagBuilder& Comment(const std::string& text) {
        comment_ = text;
        return *this;
    }
    // Palette bytes as stored: green, red, blue per entry.
    MagBuilder& Palette(Bytes bytes) {
        palette_ = std::move(bytes);
        return *this;
    }
    MagBuilder& FlagA(Bytes bytes) {
        flagA_ = std::move(bytes);
        return *this;
    }
    MagBuilder& FlagB(Bytes bytes) {
        flagB_ = std::move(bytes);
        return *this;
    }
    MagBuilder& Pixels(Bytes bytes) {
        pixels_ = std::move(bytes);
        return *this;
    }
    // The flag bytes of every row, top row first: flag A gets a bit for each
    // byte that differs from the one above, flag B the XOR of the two.
    MagBuilder& FlagRows(const std::vector<Bytes>& rows) {
        flagA_.clear();
        flagB_.clear();
        Bytes above(rows.empty() ? 0 : rows[0].size(), 0);
        std::size_t position = 0;
        for (const Bytes& row : rows) {
            for (std::size_t x = 0; x < row.size(); ++x, ++position) {
                if (position % 8 == 0) flagA_.push_back(0);
                if (row[x] != above[x]) {
                    flagA_.back() |= static_cast<std::uint8_t>(0x80 >> position % 8);
                    flagB_.push_back(row[x] ^ above[x]);
                }
            }
            above = row;
        }
        return *this;
    }
    // A picture of literal units only: no flag bits, pixel bytes 1, 2, 3, ...
    MagBuilder& Literals(std::size_t flagPositions, std::size_t pixelBytes) {
        flagA_.assign((flagPositions + 7) / 8, 0);
        flagB_.clear();
        pixels_.resize(pixelBytes);
        for (std::size_t i = 0; i < pixelBytes; ++i) pixels_[i] = static_cast<std::uint8_t>(i + 1);
        return *this;
    }
    MagBuilder& FlagAOffset(std::uint32_t value) {
        flagAOffset_ = value;
        return *this;
    }
    MagBuilder& FlagBOffset(std::uint32_t value) {
        flagBOffset_ = value;
        return *this;
    }
    MagBuilder& PixelOffset(std::uint32_t value) {
        pixelOffset_ = value;
        return *this;
    }

    // Where the header starts in the built file.
    std::size_t HeaderStart() const { return 32 + comment_.size() + 1; }

    Bytes Build() const {
        Bytes file;
        Append(file, "MAKI02  TEST ");
        Append(file, (userName_ + std::string(18, ' ')).substr(0, 18));
        Append(file, " " + comment_ + "\x1A");

        Bytes palette = palette_;
        if (palette.empty()) {
            for (int i = 0; i < ((screenMode_ & 0x80) != 0 ? 256 : 16); ++i) {
                palette.insert(palette.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i + 1),
                                               static_cast<std::uint8_t>(i + 2)});
            }
        }
        const auto a = static_cast<std::uint32_t>(32 + palette.size());
        const std::uint32_t b = flagBOffset_.value_or(a + static_cast<std::uint32_t>(flagA_.size()));
        const auto bSize = static_cast<std::uint32_t>(flagB_.size());
        file.insert(file.end(), {0, 0, 0, screenMode_});
        for (const std::uint16_t value : area_) Put(file, value);
        Put(file, flagAOffset_.value_or(a));
        Put(file, b);
        Put(file, bSize);
        Put(file, pixelOffset_.value_or(b + bSize));
        Put(file, static_cast<std::uint32_t>(pixels_.size()));
        for (const Bytes* part : {&std::as_const(palette), &flagA_, &flagB_, &pixels_})
            file.insert(file.end(), part->begin(), part->end());
        return file;
    }

private:
    static void Append(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

    template <class T>
    static void Put(Bytes& out, T value) {
        for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    std::uint8_t screenMode_ = 0;
    std::array<std::uint16_t, 4> area_ = {0, 0, 7, 0};
    std::string userName_ = "tester";
    std::string comment_ = "a test picture";
    Bytes palette_;
    Bytes flagA_ = {0};
    Bytes flagB_;
    Bytes pixels_ = {0x01, 0x23, 0x45, 0x67};
    std::optional<std::uint32_t> flagAOffset_;
    std::optional<std::uint32_t> flagBOffset_;
    std::optional<std::uint32_t> pixelOffset_;
};

}  // namespace imvexa::test
