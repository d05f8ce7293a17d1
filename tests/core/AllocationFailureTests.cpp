// Allocation failures inside the imaging core surface as EOutOfMemory, the
// error callers of the core catch, never as std::bad_alloc.
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <new>

#include "Bitmap.h"
#include "JPEG.h"
#include "Mag.h"
#include "QXPNGL.h"
#include "TestSupport.h"

namespace imvexa::test {
namespace {

// A stream of 1 MiB whose every transfer fails to allocate, as a growing
// memory stream or a caller's own stream can.
class NoMemoryStream : public TStream {
public:
    std::size_t Read(void*, std::size_t) override { throw std::bad_alloc(); }
    std::size_t Write(const void*, std::size_t) override { throw std::bad_alloc(); }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override {
        return origin == SeekOrigin::End ? (std::int64_t{1} << 20) + offset : 0;
    }
};

template <class Graphic>
std::unique_ptr<TGraphic> WithPicture() {
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::Bit8);
    picture.SetSize(8, 2);
    auto graphic = std::make_unique<Graphic>();
    graphic->Assign(&picture);
    return graphic;
}

TEST(AllocationFailure, LoadingAndSavingRaiseOutOfMemory) {
    const struct {
        const char* name;
        std::function<std::unique_ptr<TGraphic>()> make;
        bool saves;  // a new JPEG image has no bytes to save
    } graphics[] = {
        {"TBitmap", WithPicture<TBitmap>, true},
        {"TZdDIB", WithPicture<TZdDIB>, true},
        {"QXPNGLE", WithPicture<QXPNGLE>, true},
        {"TMAGImage", WithPicture<TMAGImage>, true},
        {"TJPEGImage", [] { return std::make_unique<TJPEGImage>(); }, false},
    };
    for (const auto& g : graphics) {
        SCOPED_TRACE(g.name);
        NoMemoryStream stream;
        ExpectError<EOutOfMemory>([&] { g.make()->LoadFromStream(stream); }, "Out of memory");
        if (g.saves) ExpectError<EOutOfMemory>([&] { g.make()->SaveToStream(stream); }, "Out of memory");
    }
}

// The sanitizers' allocator ends the process on a failed allocation rather than throw.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kFailedAllocationsThrow = false;
#else
constexpr bool kFailedAllocationsThrow = true;
#endif

TEST(AllocationFailure, MemoryStreamsRefuseWhatMemoryCannotHold) {
    TMemoryStream stream;
    stream.Seek(std::numeric_limits<std::int64_t>::max(), SeekOrigin::Begin);  // beyond any container
    ExpectError<EOutOfMemory>([&] { stream.WriteBuffer("x", 1); }, "Out of memory");
    if (!kFailedAllocationsThrow) GTEST_SKIP() << "a terabyte is asked of the heap only where failure throws";
    stream.Seek(std::int64_t{1} << 40, SeekOrigin::Begin);
    ExpectError<EOutOfMemory>([&] { stream.WriteBuffer("x", 1); }, "Out of memory");
    EXPECT_TRUE(stream.Bytes().empty());
}

}  // namespace
}  // namespace imvexa::test
