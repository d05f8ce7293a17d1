#include "Stream.h"

#include <algorithm>
#include <cstring>

#include "AllocationFailure.h"
#include "RuntimeErrors.h"

namespace imvexa {

namespace {

// The position a seek asks for; a position before the start of the stream is an error.
std::int64_t SeekTarget(std::int64_t offset, SeekOrigin origin, std::size_t position, std::size_t size) {
    std::int64_t base = 0;
    switch (origin) {
        case SeekOrigin::Begin: base = 0; break;
        case SeekOrigin::Current: base = static_cast<std::int64_t>(position); break;
        case SeekOrigin::End: base = static_cast<std::int64_t>(size); break;
    }
    const std::int64_t target = base + offset;
    if (target < 0) throw EReadError("Stream seek error");
    return target;
}

std::size_t ReadFrom(const std::uint8_t* data, std::size_t size, std::size_t& position, void* buffer,
                     std::size_t count) {
    if (position >= size) return 0;
    const std::size_t n = std::min(count, size - position);
    std::memcpy(buffer, data + position, n);
    position += n;
    return n;
}

}  // namespace

std::int64_t TStream::Size() {
    const std::int64_t position = Position();
    const std::int64_t size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Begin);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    return ReadFrom(data_.data(), data_.size(), position_, buffer, count);
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    // Writing past the end fills the gap with zeros; an end beyond what a
    // block can hold (or beyond the numbers) is out of memory.
    if (position_ > data_.max_size() || count > data_.max_size() - position_) throw EOutOfMemory("Out of memory");
    if (position_ + count > data_.size()) GuardAllocations([&] { data_.resize(position_ + count); });
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    position_ = static_cast<std::size_t>(SeekTarget(offset, origin, position_, data_.size()));
    return static_cast<std::int64_t>(position_);
}

std::size_t TBorrowedMemoryStream::Read(void* buffer, std::size_t count) {
    return ReadFrom(data_, size_, position_, buffer, count);
}

std::size_t TBorrowedMemoryStream::Write(const void*, std::size_t) {
    throw EWriteError("Stream write error");
}

std::int64_t TBorrowedMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    position_ = static_cast<std::size_t>(SeekTarget(offset, origin, position_, size_));
    return static_cast<std::int64_t>(position_);
}

}  // namespace imvexa
