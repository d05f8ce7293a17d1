#pragma once
// ISA-L's inflater over a zlib stream handed to it in pieces: several times
// faster than zlib, but free to read ahead and to find faults at other
// points than zlib does, so TPngImageData decides when its output may stand
// in for zlib's.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "KeptBlocks.h"

struct inflate_state;

namespace imvexa::png {

class TFastInflate {
public:
    enum class Status {
        Inflating,  // call again: more input, or more output space, may be needed
        Full,       // the output space is used up; more may be decodable from the input held
        End,        // the stream ended and its Adler-32 matched
        Failed      // broken data, or nothing more can be done with it
    };

    TFastInflate();
    ~TFastInflate();
    TFastInflate(const TFastInflate&) = delete;
    TFastInflate& operator=(const TFastInflate&) = delete;

    // The next input, once the previous one is used up.
    void Feed(std::span<const std::uint8_t> input);
    bool InputUsed() const;

    struct Result {
        std::size_t written;
        Status status;
    };
    Result Inflate(std::uint8_t* out, std::size_t capacity);

private:
    struct GiveBack {
        void operator()(inflate_state* state) const noexcept;
    };
    std::unique_ptr<inflate_state, GiveBack> state_;
};

// The kept blocks of the PNG decoder's work memory (the inflater's state,
// the inflated bytes ahead of the rows), a picture's worth of each per
// thread decoding at once.
TKeptBlocks& PngWorkBlocks();

// Whether zlib accepts a stream starting with these two bytes: deflate,
// a window of at most 32 KB, a valid check and no preset dictionary.
bool ZlibAcceptsHeader(std::uint8_t cmf, std::uint8_t flg);

}  // namespace imvexa::png
