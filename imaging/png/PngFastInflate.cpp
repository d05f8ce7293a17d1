#include "PngFastInflate.h"

#include <isa-l/igzip_lib.h>

#include <cstring>

#include "AllocationFailure.h"

namespace imvexa::png {

TKeptBlocks& PngWorkBlocks() {
    // The state is some 90 KB, the bytes ahead 96 KB and up: a few threads'
    // worth fit 8 MB.
    static TKeptBlocks blocks(kSmallestKeptBlock, std::size_t{8} << 20);
    return blocks;
}

void TFastInflate::GiveBack::operator()(inflate_state* state) const noexcept { PngWorkBlocks().GiveBack(state); }

TFastInflate::TFastInflate()
    : state_(GuardAllocations([] {
          void* block = PngWorkBlocks().Take(sizeof(inflate_state));
          if (!block) throw std::bad_alloc();
          std::memset(block, 0, sizeof(inflate_state));
          return std::unique_ptr<inflate_state, GiveBack>(static_cast<inflate_state*>(block));
      })) {
    isal_inflate_init(state_.get());
    state_->crc_flag = ISAL_ZLIB;
}

TFastInflate::~TFastInflate() = default;

void TFastInflate::Feed(std::span<const std::uint8_t> input) {
    // ISA-L does not write through next_in; its type just lacks const.
    state_->next_in = const_cast<std::uint8_t*>(input.data());
    state_->avail_in = static_cast<std::uint32_t>(input.size());
}

bool TFastInflate::InputUsed() const {
    return state_->avail_in == 0;
}

TFastInflate::Result TFastInflate::Inflate(std::uint8_t* out, std::size_t capacity) {
    inflate_state& s = *state_;
    const std::uint32_t inBefore = s.avail_in;
    const auto blockBefore = s.block_state;
    s.next_out = out;
    s.avail_out = static_cast<std::uint32_t>(capacity);
    const int result = isal_inflate(&s);
    const std::size_t written = capacity - s.avail_out;
    if (result < 0 || result == ISAL_NEED_DICT) return {written, Status::Failed};
    if (s.block_state == ISAL_BLOCK_FINISH) return {written, Status::End};
    if (s.avail_out == 0) return {written, Status::Full};
    // A call that changes nothing while input is left would be repeated for ever.
    const bool stuck = written == 0 && s.avail_in == inBefore && s.block_state == blockBefore && s.avail_in > 0;
    return {written, stuck ? Status::Failed : Status::Inflating};
}

bool ZlibAcceptsHeader(std::uint8_t cmf, std::uint8_t flg) {
    const bool deflate = (cmf & 0x0F) == 8 && (cmf >> 4) <= 7;
    const bool checked = ((cmf << 8) | flg) % 31 == 0;
    const bool noDictionary = (flg & 0x20) == 0;
    return deflate && checked && noDictionary;
}

}  // namespace imvexa::png
