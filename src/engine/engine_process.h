#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "util/line_buffer.h"
#include "util/output_queue.h"

namespace ixo {

// Finds the program an engine is named by: a name with a slash is a path (made absolute,
// since the engine runs in its own folder), any other name is looked for on PATH and then in
// /usr/games, where Debian puts its engines but which a user's PATH often lacks. On false
// `error` says what was looked for and where.
bool findEngine(const std::string& name, std::string& path, std::string& error);

// One engine program as a child process, seen only as lines in and lines out. It knows no
// protocol, so that the protocol can be tested against a fake that misbehaves on purpose.
// Both pipe ends are non-blocking: nothing the engine does or fails to do can block the game.
class EngineProcess {
  public:
    // An engine line longer than this is not a line of USI; it is reported and thrown away.
    static constexpr std::size_t kMaxLineLength = 64 * 1024;

    enum class Read { Line, NothingYet, Overlong, Closed };

    EngineProcess() = default;
    // A child still running is killed and reaped, so that no path out leaves one behind.
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // Starts `path` in its own folder with `arguments` after the program name. On false
    // `error` says why and nothing is left open.
    bool start(const std::string& path, const std::vector<std::string>& arguments,
               std::string& error);

    // Queues `line` and a newline and writes what the pipe takes now; the rest goes out on
    // later calls. False once the engine cannot be written to (it closed its input or stopped
    // reading for good).
    bool sendLine(const std::string& line);
    bool flush();

    // The next whole line without its line end, or what stopped it. Closed comes once the
    // engine closed its output and every line before that was taken.
    Read readLine(std::string& line);

    // For the main loop's wait: readable when a line (or the end) may be waiting. -1 when no
    // engine runs.
    int readDescriptor() const { return fromEngine_; }
    // True from start until the exit is collected.
    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Collects the exit without waiting; true once the child is gone (or never ran). The
    // pipes stay open until kill(), so lines written before the exit can still be read.
    bool reap();
    // Waits up to timeoutMs for the child to exit by itself; true once it is reaped.
    bool waitForExit(int timeoutMs);
    // SIGKILL, reap and close the pipes: the one way out that cannot be ignored.
    void kill();
    // "exited with status 1", "killed by signal 11 (Segmentation fault)"; empty while running.
    const std::string& exitDescription() const { return exitDescription_; }

  private:
    void closePipes();

    pid_t pid_ = -1;
    int toEngine_ = -1;
    int fromEngine_ = -1;
    LineBuffer input_{kMaxLineLength};
    bool endOfOutput_ = false;
    OutputQueue output_;
    std::string exitDescription_;
};

}  // namespace ixo
