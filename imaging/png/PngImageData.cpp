// When the fast output stands in for zlib's. zlib, fed piece by piece,
// stops decoding soon after a read's last byte: it decodes no further than
// the next symbol that makes output, and it takes a piece only when it needs
// its bits (or, at the start of a read, when the last piece is used up).
// - A read ending kMargin or more bytes before the fast output's end: those
//   bytes come from at least 15 further symbols, so every piece zlib takes
//   in that read was taken by the fast inflater without failure, and
//   everything zlib looks at was decoded without fault.
// - A read before the last once the stream ended with a correct Adler-32 and
//   exactly the bytes the rows need: the same, up to the stream's end.
// - The last read, and the chunk the position is in after it: zlib needs
//   the chunk in which the stream ends when the fast inflater, given the
//   first kCheckBytes of it, still lacks some of the rows' bytes (it never
//   lags zlib by that much); it then reads through the Adler-32 in it.
#include "PngImageData.h"

#include <algorithm>
#include <cstring>

#include "PngDataPieces.h"
#include "PngErrors.h"
#include "WorkBuffer.h"

namespace imvexa::png {

namespace {

constexpr std::uint64_t kMargin = 4096;
constexpr std::size_t kCheckBytes = 64;
// Output space per call: large enough that ISA-L rarely stops for it, small
// enough that the rows are still in the cache when they are unfiltered.
constexpr std::size_t kAheadBytes = 96 * 1024;
constexpr std::size_t kMinSpace = 48 * 1024;

}  // namespace

TPngImageData::TPngImageData(TPngBytes& bytes, std::int32_t& remaining, std::uint64_t total)
    : bytes_(bytes), remaining_(remaining), total_(total), ahead_(bytes), aheadRemaining_(remaining) {
    fast_ = std::make_unique<TFastInflate>();
}

TPngImageData::~TPngImageData() {
    if (finished_ || zlib_ || served_ == 0) return;
    try {
        SwitchToZlib();
    } catch (...) {
        // The position is then where zlib's reader failed.
    }
}

void TPngImageData::Read(std::uint8_t* out, std::size_t count) {
    if (!zlib_) {
        while (!Serves(served_ + count)) {
            if (!Fill(count)) {
                SwitchToZlib();
                break;
            }
        }
    }
    if (zlib_) {
        zlib_->Read(out, count);
        return;
    }
    std::memcpy(out, buffer_.data() + begin_, count);
    begin_ += count;
    served_ += count;
    Record(count);
}

void TPngImageData::Finish() {
    if (!zlib_ && !(served_ == total_ && EndProved())) SwitchToZlib();
    if (!zlib_) {
        bytes_ = ahead_;
        remaining_ = aheadRemaining_;
    }
    finished_ = true;
    SkipRestOfChunk(bytes_, remaining_);
}

bool TPngImageData::Serves(std::uint64_t end) const {
    if (produced_ >= end + kMargin) return true;
    if (state_ != Ahead::Ended || produced_ != total_ || end > total_) return false;
    return end < total_ || EndProved();
}

bool TPngImageData::EndProved() const {
    return state_ == Ahead::Ended && produced_ == total_ && chunkNeeded_;
}

// One more step of the fast inflater; false when it can go no further.
bool TPngImageData::Fill(std::size_t count) {
    if (state_ != Ahead::Running || produced_ >= total_ + kMargin) return false;
    MakeRoom(count);
    if (fast_->InputUsed() && outputSpaceLeft_ && !FeedNext()) return false;
    const auto [written, status] = fast_->Inflate(buffer_.data() + end_, buffer_.size() - end_);
    end_ += written;
    produced_ += written;
    outputSpaceLeft_ = status != TFastInflate::Status::Full;
    if (status == TFastInflate::Status::Failed) state_ = Ahead::Stopped;
    if (status == TFastInflate::Status::End) state_ = Ahead::Ended;
    return true;
}

void TPngImageData::MakeRoom(std::size_t count) {
    const std::size_t size = std::max(kAheadBytes, count + static_cast<std::size_t>(kMargin) + kMinSpace);
    if (buffer_.size() < size) {
        auto larger = GuardAllocations([size] { return decltype(buffer_)(size); });
        std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(begin_), buffer_.begin() + static_cast<std::ptrdiff_t>(end_),
                  larger.begin());
        buffer_ = std::move(larger);
    } else if (buffer_.size() - end_ >= kMinSpace) {
        return;
    } else {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    }
    end_ -= begin_;
    begin_ = 0;
}

// All input so far is decoded: the held-back rest of a new chunk's first
// piece once the check is made, else the next piece.
bool TPngImageData::FeedNext() {
    if (!checkPending_) return TakeAhead();
    chunkNeeded_ = produced_ < total_;
    checkPending_ = false;
    fast_->Feed(heldBack_);
    return true;
}

bool TPngImageData::TakeAhead() {
    std::span<const std::uint8_t> piece;
    const bool newChunk = aheadRemaining_ <= 0;
    try {
        piece = TakeImageDataPiece(ahead_, aheadRemaining_);
    } catch (const Exception&) {
        state_ = Ahead::Stopped;  // zlib fails here too, if it ever needs this piece
        return false;
    }
    // zlib is given no input with an empty piece, which fails or not by
    // what it holds: left to zlib.
    if (piece.empty()) return false;
    if (firstPiece_) {
        // The first piece is needed by zlib's first read.
        firstPiece_ = false;
        if (piece.size() < 2 || !ZlibAcceptsHeader(piece[0], piece[1])) return false;
    } else if (newChunk) {
        chunkNeeded_ = false;
        if (produced_ < total_ && piece.size() > kCheckBytes) {
            heldBack_ = piece.subspan(kCheckBytes);
            piece = piece.first(kCheckBytes);
            checkPending_ = true;
        }
    }
    fast_->Feed(piece);
    return true;
}

// zlib's reader from the stream's start: it repeats the reads handed out so
// far and then reads on alone.
void TPngImageData::SwitchToZlib() {
    state_ = Ahead::Stopped;
    fast_.reset();
    buffer_ = {};
    zlib_ = std::make_unique<TZlibReader>(bytes_, remaining_);
    std::size_t largest = 0;
    for (const auto& run : reads_) largest = std::max(largest, run.first);
    std::vector<std::uint8_t> scratch = WorkBuffer<std::uint8_t>(largest);
    for (const auto& [count, times] : reads_)
        for (std::uint64_t i = 0; i < times; ++i) zlib_->Read(scratch.data(), count);
    reads_.clear();
}

void TPngImageData::Record(std::size_t count) {
    if (!reads_.empty() && reads_.back().first == count)
        ++reads_.back().second;
    else
        reads_.emplace_back(count, 1);
}

}  // namespace imvexa::png
