// TFileStream on POSIX file descriptors.
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "RuntimeErrors.h"
#include "Stream.h"

namespace imvexa {

struct TFileStream::Handle {
    int fd = -1;
};

TFileStream::TFileStream(const std::string& path, FileMode mode) : handle_(std::make_unique<Handle>()) {
    const int flags = mode == FileMode::OpenRead ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
    handle_->fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (handle_->fd < 0) throw EFOpenError("Cannot open file \"" + path + "\"");
}

TFileStream::~TFileStream() {
    ::close(handle_->fd);
}

// Both loops go on after partial transfers, so a short count means the end of
// the file (read) or a full disk (write).
std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(handle_->fd, bytes + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EReadError("Stream read error");
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(handle_->fd, bytes + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EWriteError("Stream write error");
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    const off_t position = ::lseek(handle_->fd, static_cast<off_t>(offset), whence);
    if (position < 0) throw EReadError("Stream seek error");
    return position;
}

}  // namespace imvexa
