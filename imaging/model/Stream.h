#pragma once
// Byte streams that graphics load from and save to.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace imvexa {

enum class SeekOrigin { Begin, Current, End };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Moves the position and returns the new one; positions past the end are allowed.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    std::int64_t Size();

    // Exactly count bytes or EReadError "Stream read error".
    void ReadBuffer(void* buffer, std::size_t count);
    // Exactly count bytes or EWriteError "Stream write error".
    void WriteBuffer(const void* buffer, std::size_t count);
};

// A growable block of memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    const std::vector<std::uint8_t>& Bytes() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
    std::size_t position_ = 0;
};

// Reads bytes owned by someone else, without copying them.
class TBorrowedMemoryStream : public TStream {
public:
    TBorrowedMemoryStream(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;  // EWriteError
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

enum class FileMode {
    OpenRead,   // read only; other readers allowed, writers denied
    Create,     // created or truncated, written
};

// A file of the platform's file system (the path in the system code page on
// Windows). Opening failures raise EFOpenError "Cannot open file \"path\"".
class TFileStream : public TStream {
public:
    TFileStream(const std::string& path, FileMode mode);
    // Windows only: the UTF-16 path, which reaches names the code page lacks.
    TFileStream(const std::wstring& path, FileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

}  // namespace imvexa
