// Memory streams (file streams are exercised by the BMP file tests).
#include "TestSupport.h"

namespace imvexa::test {
namespace {

TEST(Stream, MemoryStreamReadsWritesAndSeeks) {
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    stream.Seek(5, SeekOrigin::Begin);
    stream.WriteBuffer("z", 1);  // past the end: the gap reads as zeros
    EXPECT_EQ(stream.Bytes(), (Bytes{'a', 'b', 'c', 0, 0, 'z'}));
    EXPECT_EQ(stream.Size(), 6);
    EXPECT_EQ(stream.Position(), 6);

    char buffer[8] = {};
    stream.Seek(-2, SeekOrigin::End);
    EXPECT_EQ(stream.Read(buffer, 4), 2u);
    EXPECT_EQ(stream.Read(buffer, 4), 0u);
    stream.Seek(0, SeekOrigin::Begin);
    ExpectError<EReadError>([&] { stream.ReadBuffer(buffer, 7); }, "Stream read error");
    EXPECT_THROW(stream.Seek(-1, SeekOrigin::Begin), EReadError);
}

}  // namespace
}  // namespace imvexa::test
