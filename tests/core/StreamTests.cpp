// Memory and file streams.
#include <filesystem>

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

TEST(Stream, BorrowedMemoryIsReadOnly) {
    const std::uint8_t data[] = {1, 2, 3};
    TBorrowedMemoryStream stream(data, sizeof data);
    std::uint8_t out[2];
    stream.Seek(1, SeekOrigin::Current);
    stream.ReadBuffer(out, 2);
    EXPECT_EQ(out[1], 3);
    ExpectError<EWriteError>([&] { stream.WriteBuffer(out, 1); }, "Stream write error");
}

TEST(Stream, FileStreamWritesAndReadsBack) {
    const std::string path = (std::filesystem::temp_directory_path() / "imvexa_stream_test.bin").string();
    {
        TFileStream file(path, FileMode::Create);
        file.WriteBuffer("hello", 5);
    }
    {
        TFileStream file(path, FileMode::OpenRead);
        EXPECT_EQ(file.Size(), 5);
        char text[5];
        file.Seek(1, SeekOrigin::Begin);
        EXPECT_EQ(file.Read(text, 5), 4u);
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace imvexa::test
