#include "MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "RuntimeErrors.h"

namespace imvexa {

namespace {

// Closes the descriptor once mapped: the mapping keeps the file.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

MappedFile::MappedFile(const std::string& path) {
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) throw EFOpenError("Cannot open file \"" + path + "\"");
    struct stat status {};
    if (::fstat(file.fd, &status) != 0) throw EReadError("Stream read error");
    size_ = static_cast<std::size_t>(status.st_size);
    if (size_ == 0) return;  // nothing to map; an empty span
    void* mapped = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.fd, 0);
    if (mapped == MAP_FAILED) throw EReadError("Stream read error");
    data_ = static_cast<const std::uint8_t*>(mapped);
}

MappedFile::~MappedFile() {
    if (data_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
}

}  // namespace imvexa
