#include "record/record_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "record/text_encoding.h"
#include "util/bounded_file.h"

namespace ixo {

namespace fs = std::filesystem;

namespace {

constexpr char kRecordExtension[] = ".kifu";

std::string reason(int error) {
    return std::strerror(error);
}

bool isAbsolute(const char* path) {
    return path && path[0] == '/';
}

std::string folderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The rename itself lives in the folder; without this a power cut may forget it.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// mkstemp makes the file private; a record is as readable as anything else the user saves.
mode_t modeFromUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Puts the finished temporary file in place under `path` without ever replacing a file that
// is already there. A hard link fails on an existing name; where the file system has no
// links, a check just before a rename is the next best thing.
bool placeNew(const std::string& temporary, const std::string& path) {
    if (::link(temporary.c_str(), path.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    struct stat existing;
    if (::lstat(path.c_str(), &existing) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

GamesFolder gamesFolderFor(const char* xdgDataHome, const char* home) {
    if (isAbsolute(xdgDataHome)) {
        return {std::string(xdgDataHome) + "/ixo-shogi/games", ""};
    }
    if (isAbsolute(home)) {
        return {std::string(home) + "/.local/share/ixo-shogi/games", ""};
    }
    return {"", "neither XDG_DATA_HOME nor HOME names an absolute folder"};
}

GamesFolder gamesFolder() {
    return gamesFolderFor(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

std::string recordName(std::time_t start, int attempt) {
    std::tm local{};
    localtime_r(&start, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string name = stamp;
    if (attempt > 1) {
        name += "-" + std::to_string(attempt);
    }
    return name + kRecordExtension;
}

std::time_t startTimeOfRecordName(const std::string& name) {
    std::tm local{};
    int consumed = 0;
    if (std::sscanf(name.c_str(), "%4d%2d%2d-%2d%2d%2d%n", &local.tm_year, &local.tm_mon,
                    &local.tm_mday, &local.tm_hour, &local.tm_min, &local.tm_sec, &consumed) != 6 ||
        consumed != 15) {
        return -1;
    }
    local.tm_year -= 1900;
    local.tm_mon -= 1;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

bool writeFileAtomically(const std::string& path, const std::string& text, bool mustBeNew,
                         std::string& error) {
    const std::string folder = folderOf(path);
    // Hidden and without the record's extension, so a left-over one is never taken for a game.
    std::string temporary = folder + "/." + fs::path(path).filename().string() + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "cannot write in " + folder + ": " + reason(errno);
        return false;
    }
    bool written = ::fchmod(fd, modeFromUmask()) == 0 && writeAll(fd, text) && ::fsync(fd) == 0;
    int failure = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        error = "cannot write " + path + ": " + reason(failure);
        return false;
    }
    const bool placed =
        mustBeNew ? placeNew(temporary, path) : ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!placed) {
        failure = errno;
        ::unlink(temporary.c_str());
        error = "cannot write " + path + ": " + reason(failure);
        return false;
    }
    syncFolder(folder);
    return true;
}

bool readRecordFile(const std::string& path, std::string& bytes, std::string& error) {
    int systemError = 0;
    switch (readBoundedFile(path, kMaxRecordFileBytes, bytes, systemError)) {
        case BoundedReadFault::None:
            return true;
        case BoundedReadFault::System:
            error = reason(systemError);
            return false;
        case BoundedReadFault::Folder:
            error = "is a folder, not a game record";
            return false;
        case BoundedReadFault::NotRegular:
            error = "is not a regular file";
            return false;
        case BoundedReadFault::TooLarge:
            error = "is larger than " + std::to_string(kMaxRecordFileBytes >> 20) +
                    " MiB, too large for a game record";
            return false;
    }
    return false;
}

std::string newestRecord(const std::string& folder) {
    std::error_code failure;
    fs::directory_iterator entries(folder, failure);
    if (failure) {
        return "";
    }
    std::string newest;
    fs::file_time_type newestTime{};
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.' || entry.path().extension() != kRecordExtension ||
            !entry.is_regular_file(failure)) {
            continue;
        }
        const fs::file_time_type written = entry.last_write_time(failure);
        if (failure) {
            continue;
        }
        // Two written in the same instant: the later start time, by name, wins.
        if (newest.empty() || written > newestTime ||
            (written == newestTime && entry.path().string() > newest)) {
            newest = entry.path().string();
            newestTime = written;
        }
    }
    return newest;
}

bool isInFolder(const std::string& file, const std::string& folder) {
    std::error_code failure;
    return fs::equivalent(folderOf(file), folder, failure) && !failure;
}

std::string recordStartTime(std::time_t start) {
    std::tm local{};
    localtime_r(&start, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

}  // namespace ixo
