#pragma once
// The image data of a PNG file: one zlib stream spread over consecutive
// IDAT chunks, read a row at a time.
//
// ISA-L inflates ahead of the rows into a bounded buffer; zlib's reader
// (TZlibReader) defines the behaviour. The fast output is handed out only
// where it provably matches what zlib would have done at that read: the same
// bytes, no failure, and the same chunks taken. Everywhere else (broken or
// unusual data, a row near a failure, an end that cannot be proved) zlib
// reads the stream again from its start up to the rows already handed out
// and carries on alone, so results, messages and positions stay zlib's.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "PngBytes.h"
#include "PngFastInflate.h"
#include "PngZlibReader.h"

namespace imvexa::png {

class TPngImageData {
public:
    // Starts at the first IDAT chunk, whose remaining data bytes lie ahead of
    // the position. remaining is the chunk loop's count, kept up to date;
    // total is the count of bytes the reads will ask for.
    TPngImageData(TPngBytes& bytes, std::int32_t& remaining, std::uint64_t total);
    // Left without Finish (a failure), the position is put where zlib's
    // reader would have left it after the last read.
    ~TPngImageData();
    TPngImageData(const TPngImageData&) = delete;
    TPngImageData& operator=(const TPngImageData&) = delete;

    // Inflates exactly count bytes into out, moving on to the next IDAT
    // chunk whenever the current one is used up.
    void Read(std::uint8_t* out, std::size_t count);

    // After the last row: the rest of the current chunk is skipped unread,
    // so the position stands at its CRC.
    void Finish();

private:
    enum class Ahead { Running, Ended, Stopped };

    bool Serves(std::uint64_t end) const;
    bool EndProved() const;
    bool Fill(std::size_t count);
    void MakeRoom(std::size_t count);
    bool FeedNext();
    bool TakeAhead();
    void SwitchToZlib();
    void Record(std::size_t count);

    TPngBytes& bytes_;
    std::int32_t& remaining_;
    const std::uint64_t total_;

    // The fast inflater's own position in the chunks, ahead of the reader's.
    TPngBytes ahead_;
    std::int32_t aheadRemaining_;
    std::unique_ptr<TFastInflate> fast_;
    Ahead state_ = Ahead::Running;
    bool firstPiece_ = true;
    bool outputSpaceLeft_ = true;
    // The chunk the fast inflater reads is one zlib needs for the rows.
    bool chunkNeeded_ = true;
    // The rest of a new chunk's first piece, held back until the check.
    std::span<const std::uint8_t> heldBack_;
    bool checkPending_ = false;

    std::vector<std::uint8_t, TKeptAllocator<std::uint8_t, PngWorkBlocks>> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t served_ = 0;
    std::uint64_t produced_ = 0;
    std::vector<std::pair<std::size_t, std::uint64_t>> reads_;  // (count, times) in order

    std::unique_ptr<TZlibReader> zlib_;
    bool finished_ = false;
};

}  // namespace imvexa::png
