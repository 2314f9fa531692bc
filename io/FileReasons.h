// The reasons that file commands give for a failure, as the user reads them.
#pragma once

#include <cstring>
#include <string>
#include <sys/stat.h>

namespace vantrel {

// "The file cannot be opened: No such file or directory."
inline std::string SystemReason(const std::string& what, int error) {
    return what + ": " + std::strerror(error) + ".";
}

// "The file cannot be opened: it is a FIFO, not a regular file."
inline std::string NotARegularFile(const std::string& what, mode_t mode) {
    const char* kind = S_ISDIR(mode)                    ? "a folder"
                       : S_ISFIFO(mode)                 ? "a FIFO"
                       : S_ISSOCK(mode)                 ? "a socket"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                                        : "a special file";
    return what + ": it is " + kind + ", not a regular file.";
}

} // namespace vantrel
