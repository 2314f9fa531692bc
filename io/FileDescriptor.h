// An open file descriptor, closed when it goes out of scope.
#pragma once

#include <unistd.h>

namespace vantrel {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Closes now, for a caller that must see whether closing failed (errno set).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

} // namespace vantrel
