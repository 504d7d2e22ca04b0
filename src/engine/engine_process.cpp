#include "engine/engine_process.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace ixo {

namespace {

bool isExecutableFile(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A write to a pipe whose reader has gone raises SIGPIPE, which would end the game. It is
// held back for this one write and, if this write raised it, taken off again, so that the
// rest of the program's signal handling stays as it was.
ssize_t writeWithoutSigpipe(int descriptor, const char* data, std::size_t size) {
    sigset_t pipeOnly;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    const ssize_t written = write(descriptor, data, size);
    const int writeError = errno;
    if (written < 0 && writeError == EPIPE && !alreadyPending) {
        const timespec noWait{0, 0};
        sigtimedwait(&pipeOnly, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = writeError;
    return written;
}

std::string describeStatus(int status) {
    if (WIFEXITED(status)) {
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        const char* name = strsignal(signal);
        return "killed by signal " + std::to_string(signal) +
               (name ? std::string(" (") + name + ")" : "");
    }
    return "stopped";
}

}  // namespace

bool findEngine(const std::string& name, std::string& path, std::string& error) {
    if (name.empty()) {
        error = "no engine named";
        return false;
    }
    if (name.find('/') != std::string::npos) {
        std::string candidate = name;
        if (candidate[0] != '/') {
            char here[PATH_MAX];
            if (!getcwd(here, sizeof here)) {
                error = "cannot tell the current folder to find " + name + " in";
                return false;
            }
            candidate = std::string(here) + "/" + candidate;
        }
        if (!isExecutableFile(candidate)) {
            error = name + " is not an executable program";
            return false;
        }
        path = candidate;
        return true;
    }
    std::string folders;
    if (const char* searchPath = getenv("PATH")) {
        folders = searchPath;
    }
    folders += ":/usr/games";
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        std::size_t end = folders.find(':', begin);
        if (end == std::string::npos) {
            end = folders.size();
        }
        // An empty PATH entry means the current folder, which is no place to run engines from.
        const std::string folder = folders.substr(begin, end - begin);
        if (!folder.empty() && folder[0] == '/' && isExecutableFile(folder + "/" + name)) {
            path = folder + "/" + name;
            return true;
        }
        begin = end + 1;
    }
    error = "no program " + name + " on PATH or in /usr/games";
    return false;
}

EngineProcess::~EngineProcess() {
    kill();
}

bool EngineProcess::start(const std::string& path, const std::vector<std::string>& arguments,
                          std::string& error) {
    kill();
    input_.clear();
    endOfOutput_ = false;
    output_.clear();
    exitDescription_.clear();

    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + strerror(errno);
        return false;
    }
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + strerror(errno);
        close(toChild[0]);
        close(toChild[1]);
        return false;
    }

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    // The child gets the two pipes as its standard input and output and keeps our stderr, so
    // that what an engine complains about reaches the terminal. Every other descriptor is
    // closed in it: an engine holding the pipe of another engine would keep that one's end of
    // file from ever coming.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    // Engines find their books and evaluation files beside themselves.
    const std::string folder = folderOf(path);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

    // Whatever this process blocks or ignores (SIGPIPE, say) must not reach the engine.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t child = -1;
    const int spawned =
        posix_spawn(&child, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    if (spawned != 0) {
        error = "cannot start " + path + ": " + strerror(spawned);
        close(toChild[1]);
        close(fromChild[0]);
        return false;
    }
    pid_ = child;
    toEngine_ = toChild[1];
    fromEngine_ = fromChild[0];
    fcntl(toEngine_, F_SETFL, fcntl(toEngine_, F_GETFL) | O_NONBLOCK);
    fcntl(fromEngine_, F_SETFL, fcntl(fromEngine_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool EngineProcess::sendLine(const std::string& line) {
    if (toEngine_ < 0 || output_.failed()) {
        return false;
    }
    output_.addLine(line);
    return flush();
}

bool EngineProcess::flush() {
    if (toEngine_ < 0) {
        return false;
    }
    return output_.flush([this](const char* data, std::size_t size) {
        return writeWithoutSigpipe(toEngine_, data, size);
    });
}

EngineProcess::Read EngineProcess::readLine(std::string& line) {
    if (fromEngine_ < 0) {
        return Read::Closed;
    }
    for (;;) {
        switch (input_.take(line)) {
            case LineBuffer::Take::Line:
                return Read::Line;
            case LineBuffer::Take::Overlong:
                return Read::Overlong;
            case LineBuffer::Take::NothingYet:
                break;
        }
        if (endOfOutput_) {
            // A last line without its newline still counts: an engine that dies mid-line
            // leaves in it the best clue to why.
            if (input_.takeRest(line)) {
                return Read::Line;
            }
            // Closed at once, so that a loop waiting on it is not woken by it again and again.
            close(fromEngine_);
            fromEngine_ = -1;
            return Read::Closed;
        }
        char chunk[4096];
        const ssize_t count = read(fromEngine_, chunk, sizeof chunk);
        if (count > 0) {
            input_.append(chunk, static_cast<std::size_t>(count));
        } else if (count == 0) {
            endOfOutput_ = true;
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return Read::NothingYet;
        } else {
            endOfOutput_ = true;
        }
    }
}

bool EngineProcess::reap() {
    if (pid_ <= 0) {
        return true;
    }
    int status = 0;
    pid_t result;
    do {
        result = waitpid(pid_, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) {
        return false;
    }
    // The pipes stay open: lines the engine wrote before it went are still to be read.
    exitDescription_ = result == pid_ ? describeStatus(status) : "gone";
    pid_ = -1;
    return true;
}

bool EngineProcess::waitForExit(int timeoutMs) {
    // Only shutting down waits, so short slices cost nothing and need no child signal handler.
    constexpr int kSliceMs = 5;
    for (int waited = 0;; waited += kSliceMs) {
        if (reap()) {
            return true;
        }
        if (waited >= timeoutMs) {
            return false;
        }
        const timespec slice{0, kSliceMs * 1000000L};
        nanosleep(&slice, nullptr);
    }
}

void EngineProcess::kill() {
    if (pid_ > 0 && !reap()) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        pid_t result;
        do {
            result = waitpid(pid_, &status, 0);
        } while (result < 0 && errno == EINTR);
        exitDescription_ = result == pid_ ? describeStatus(status) : "gone";
        pid_ = -1;
    }
    closePipes();
}

void EngineProcess::closePipes() {
    if (toEngine_ >= 0) {
        close(toEngine_);
        toEngine_ = -1;
    }
    if (fromEngine_ >= 0) {
        close(fromEngine_);
        fromEngine_ = -1;
    }
}

}  // namespace ixo
