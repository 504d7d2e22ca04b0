#include "util/bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ixo {

BoundedReadFault readBoundedFile(const std::string& path, std::size_t limit, std::string& bytes,
                                 int& systemError) {
    systemError = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        systemError = errno;
        return BoundedReadFault::System;
    }
    struct stat status;
    BoundedReadFault fault = BoundedReadFault::None;
    if (::fstat(fd, &status) != 0) {
        systemError = errno;
        fault = BoundedReadFault::System;
    } else if (S_ISDIR(status.st_mode)) {
        fault = BoundedReadFault::Folder;
    } else if (!S_ISREG(status.st_mode)) {
        fault = BoundedReadFault::NotRegular;
    } else if (static_cast<unsigned long long>(status.st_size) > limit) {
        fault = BoundedReadFault::TooLarge;
    } else {
        // One byte past the limit, so a file that grew since fstat is still caught.
        bytes.assign(limit + 1, '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, &bytes[done], bytes.size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                systemError = errno;
                fault = BoundedReadFault::System;
                break;
            }
            if (got == 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
        if (fault == BoundedReadFault::None && done > limit) {
            fault = BoundedReadFault::TooLarge;
        }
    }
    ::close(fd);
    return fault;
}

}  // namespace ixo
