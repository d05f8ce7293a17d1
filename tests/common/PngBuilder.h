#pragma once
// Builds PNG files in memory for the reader's tests: any colour type and bit
// depth (hostile ones included), the row filter of each row chosen by the
// test, Adam7 interlacing, image data compressed with zlib's compress2 and
// split into IDAT chunks of any size, extra chunks, and wrong CRCs.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace imvexa::test::png {

using Bytes = std::vector<std::uint8_t>;

inline int SamplesPerPixel(int colorType) {
    switch (colorType & 7) {
        case 2: return 3;
        case 4: return 2;
        case 6: return 4;
        default: return 1;
    }
}

inline void PutUInt32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline Bytes Signature() {
    return {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
}

// One chunk: length, type, data, CRC (deliberately wrong when badCrc).
inline Bytes Chunk(const std::string& type, const Bytes& data, bool badCrc = false) {
    Bytes out;
    PutUInt32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.begin() + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, out.data() + 4, static_cast<uInt>(4 + data.size()));
    if (badCrc) crc ^= 0x5A5A5A5Au;
    PutUInt32(out, static_cast<std::uint32_t>(crc));
    return out;
}

inline Bytes IhdrData(std::uint32_t width, std::uint32_t height, int depth, int colorType, int compression = 0,
                      int filter = 0, int interlace = 0) {
    Bytes out;
    PutUInt32(out, width);
    PutUInt32(out, height);
    for (int b : {depth, colorType, compression, filter, interlace}) out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

inline Bytes Compress(const Bytes& data, int level = 9) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK) std::abort();
    out.resize(size);
    return out;
}

// Packs one row of samples at 1, 2, 4, 8 or 16 bits (16: big-endian).
inline Bytes PackRow(const std::vector<std::uint16_t>& samples, int depth) {
    Bytes out;
    if (depth == 16) {
        for (std::uint16_t s : samples) {
            out.push_back(static_cast<std::uint8_t>(s >> 8));
            out.push_back(static_cast<std::uint8_t>(s));
        }
    } else if (depth == 8) {
        for (std::uint16_t s : samples) out.push_back(static_cast<std::uint8_t>(s));
    } else {
        out.assign((samples.size() * depth + 7) / 8, 0);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const std::size_t bit = i * depth;
            out[bit / 8] |= static_cast<std::uint8_t>(samples[i] << (8 - depth - bit % 8));
        }
    }
    return out;
}

inline int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// The filtered row: the type byte, then each byte minus its predictor.
inline Bytes FilterRow(int type, const Bytes& row, const Bytes* prior, int distance) {
    Bytes out{static_cast<std::uint8_t>(type)};
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= static_cast<std::size_t>(distance) ? row[i - distance] : 0;
        const int b = prior ? (*prior)[i] : 0;
        const int c = prior && i >= static_cast<std::size_t>(distance) ? (*prior)[i - distance] : 0;
        int predictor = 0;
        switch (type) {
            case 1: predictor = a; break;
            case 2: predictor = b; break;
            case 3: predictor = (a + b) / 2; break;
            case 4: predictor = Paeth(a, b, c); break;
            default: break;
        }
        out.push_back(static_cast<std::uint8_t>(row[i] - predictor));
    }
    return out;
}

// A picture as rows of samples (samples per pixel × width values each).
struct Image {
    int width = 0;
    int height = 0;
    int colorType = 2;
    int depth = 8;
    std::vector<std::vector<std::uint16_t>> rows;

    const std::uint16_t* Pixel(int x, int y) const { return rows[y].data() + x * SamplesPerPixel(colorType); }
};

// A deterministic picture of noisy ramps with every sample in range; indexed
// values stay below maxIndex when it is given.
inline Image MakeImage(int width, int height, int colorType, int depth, std::uint32_t seed,
                       std::optional<int> maxIndex = std::nullopt) {
    Image image{width, height, colorType, depth, {}};
    const int top = maxIndex ? *maxIndex : (1 << depth) - 1;
    const int n = SamplesPerPixel(colorType);
    std::uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint16_t> row;
        for (int x = 0; x < width; ++x) {
            for (int s = 0; s < n; ++s) {
                state = state * 1103515245u + 12345u;
                const long long ramp = static_cast<long long>(x * 7 + y * 13 + s * 50) * top / (width * 7 + height * 13 + 150);
                const long long noise = static_cast<long long>(state >> 16) % (top / 8 + 3) - (top / 16 + 1);
                long long value = ramp + noise;
                value = value < 0 ? 0 : (value > top ? top : value);
                row.push_back(static_cast<std::uint16_t>(value));
            }
        }
        image.rows.push_back(std::move(row));
    }
    return image;
}

class PngBuilder {
public:
    explicit PngBuilder(Image image) : image_(std::move(image)) {}

    PngBuilder& Interlace(bool value = true) {
        interlace_ = value;
        return *this;
    }
    // The filter type of the n-th row of the image data (counted over all passes).
    PngBuilder& Filters(std::function<int(int)> choose) {
        filters_ = std::move(choose);
        return *this;
    }
    PngBuilder& Palette(std::vector<std::uint32_t> rgb) {
        palette_ = std::move(rgb);
        return *this;
    }
    // The 13 IHDR bytes instead of the ones the image gives.
    PngBuilder& Header(Bytes data) {
        header_ = std::move(data);
        return *this;
    }
    // Chunks put before the image data (after IHDR and PLTE) and after it.
    PngBuilder& Before(const std::string& type, Bytes data) {
        before_.emplace_back(type, std::move(data));
        return *this;
    }
    PngBuilder& After(const std::string& type, Bytes data) {
        after_.emplace_back(type, std::move(data));
        return *this;
    }
    PngBuilder& IdatSize(std::size_t size) {
        idatSize_ = size;
        return *this;
    }
    // The compressed data instead of the image's.
    PngBuilder& ZlibData(Bytes data) {
        zlibData_ = std::move(data);
        return *this;
    }
    PngBuilder& BadCrc(bool value = true) {
        badCrc_ = value;
        return *this;
    }
    PngBuilder& NoIend() {
        iend_ = false;
        return *this;
    }

    // The filtered rows, pass after pass for an interlaced image.
    Bytes FilteredData() const {
        const int distance = std::max(1, SamplesPerPixel(image_.colorType) * image_.depth / 8);
        static constexpr int kPass[7][4] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                            {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
        const int n = SamplesPerPixel(image_.colorType);
        Bytes out;
        int index = 0;
        for (int pass = 0; pass < (interlace_ ? 7 : 1); ++pass) {
            const int fc = interlace_ ? kPass[pass][0] : 0, cs = interlace_ ? kPass[pass][1] : 1;
            const int fr = interlace_ ? kPass[pass][2] : 0, rs = interlace_ ? kPass[pass][3] : 1;
            if (fc >= image_.width || fr >= image_.height) continue;
            Bytes prior;
            bool first = true;
            for (int y = fr; y < image_.height; y += rs) {
                std::vector<std::uint16_t> samples;
                for (int x = fc; x < image_.width; x += cs)
                    samples.insert(samples.end(), image_.Pixel(x, y), image_.Pixel(x, y) + n);
                const Bytes row = PackRow(samples, image_.depth);
                const Bytes filtered = FilterRow(filters_(index++), row, first ? nullptr : &prior, distance);
                out.insert(out.end(), filtered.begin(), filtered.end());
                prior = row;
                first = false;
            }
        }
        return out;
    }

    Bytes ImageData() const { return zlibData_ ? *zlibData_ : Compress(FilteredData()); }

    Bytes Build() const {
        Bytes out = Signature();
        Append(out, Chunk("IHDR",
                          header_ ? *header_
                                  : IhdrData(static_cast<std::uint32_t>(image_.width),
                                             static_cast<std::uint32_t>(image_.height), image_.depth,
                                             image_.colorType, 0, 0, interlace_ ? 1 : 0),
                          badCrc_));
        if (palette_) {
            Bytes data;
            for (std::uint32_t rgb : *palette_)
                for (int shift : {16, 8, 0}) data.push_back(static_cast<std::uint8_t>(rgb >> shift));
            Append(out, Chunk("PLTE", data, badCrc_));
        }
        for (const auto& [type, data] : before_) Append(out, Chunk(type, data, badCrc_));
        // Chunks of idatSize_ bytes, except that the last one keeps the final
        // kTail bytes of the zlib stream together: they hold the end of the
        // last row, and a chunk that follows the last row's chunk would be
        // met as a second image ("appear two IDAT").
        constexpr std::size_t kTail = 16;
        const Bytes data = ImageData();
        const std::size_t size = idatSize_ ? idatSize_ : std::max<std::size_t>(data.size(), 1);
        const std::size_t lastStart = data.size() > kTail ? data.size() - kTail : 0;
        std::size_t start = 0;
        do {
            const std::size_t end = start + size >= lastStart ? data.size() : start + size;
            Append(out, Chunk("IDAT", Bytes(data.begin() + static_cast<std::ptrdiff_t>(start),
                                            data.begin() + static_cast<std::ptrdiff_t>(end)),
                              badCrc_));
            start = end;
        } while (start < data.size());
        for (const auto& [type, body] : after_) Append(out, Chunk(type, body, badCrc_));
        if (iend_) Append(out, Chunk("IEND", {}, badCrc_));
        return out;
    }

private:
    static void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

    Image image_;
    bool interlace_ = false;
    std::function<int(int)> filters_ = [](int n) { return n % 5; };
    std::optional<std::vector<std::uint32_t>> palette_;
    std::optional<Bytes> header_;
    std::vector<std::pair<std::string, Bytes>> before_;
    std::vector<std::pair<std::string, Bytes>> after_;
    std::size_t idatSize_ = 0;
    std::optional<Bytes> zlibData_;
    bool badCrc_ = false;
    bool iend_ = true;
};

// The same palette for every indexed test picture: count colours 0xRRGGBB.
inline std::vector<std::uint32_t> TestPalette(int count) {
    std::vector<std::uint32_t> colors;
    for (int i = 0; i < count; ++i)
        colors.push_back(static_cast<std::uint32_t>((i * 37 + 11) % 256) << 16 |
                         static_cast<std::uint32_t>((i * 91 + 3) % 256) << 8 | static_cast<std::uint32_t>((i * 13 + 200) % 256));
    return colors;
}

}  // namespace imvexa::test::png
