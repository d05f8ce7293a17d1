#pragma once
// Reading a PNG file's bytes in order. Running past the end fails as a
// stream does ("Stream read error"), so a truncated file gives the same
// error whether it comes as bytes or from a stream.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "PngErrors.h"

namespace imvexa::png {

class TPngBytes {
public:
    explicit TPngBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // The next count bytes, which the position then moves past (no bytes
    // can be taken anywhere, even past the end). Running out leaves the
    // position at the end at least, as a stream's partial read does.
    const std::uint8_t* Take(std::size_t count) {
        const std::size_t at = position_ < bytes_.size() ? static_cast<std::size_t>(position_) : bytes_.size();
        if (count > bytes_.size() - at) {
            position_ = std::max<std::uint64_t>(position_, bytes_.size());
            throw EReadError("Stream read error");
        }
        position_ += count;
        return bytes_.data() + at;
    }

    std::uint8_t ReadByte() { return *Take(1); }

    std::uint32_t ReadUInt32() {
        const std::uint8_t* b = Take(4);
        return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
    }

    // The length of the chunk that starts at the position. PNG forbids
    // lengths above 2^31 - 1; refusing them keeps every length a
    // non-negative 32-bit number.
    std::int32_t ReadChunkLength() {
        const std::uint32_t length = ReadUInt32();
        if (length > 0x7FFFFFFFu) throw EQXPNGLE("chunk length over");
        return static_cast<std::int32_t>(length);
    }

    // Moves forward without reading; past the end is allowed (the next read fails).
    void Skip(std::uint32_t count) { position_ += count; }

    std::uint64_t Position() const { return position_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::uint64_t position_ = 0;
};

}  // namespace imvexa::png
