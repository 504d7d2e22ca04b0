#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "util/line_buffer.h"
#include "util/output_queue.h"

struct addrinfo;

namespace ixo {

// One TCP connection seen as lines in and lines out, the way EngineProcess shows an engine.
// It knows no protocol, so the protocol can be tested against a stand-in server. Everything
// is non-blocking: looking up the host, connecting, reading and writing never hold the game's
// loop. The C library looks a name up only by waiting, so that wait happens on a thread of
// its own, which wakes the loop through a pipe; a numeric address needs no thread.
class TcpChannel {
  public:
    // A line from a server longer than this is no line of its protocol.
    static constexpr std::size_t kMaxLineLength = 64 * 1024;

    enum class State { Closed, Connecting, Open };
    enum class Read { Line, NothingYet, Overlong, Closed };

    TcpChannel() : input_(kMaxLineLength) {}
    ~TcpChannel() { close(); }
    TcpChannel(const TcpChannel&) = delete;
    TcpChannel& operator=(const TcpChannel&) = delete;

    // Starts connecting to `host` on `port`; Connecting (or at once Open) on true. On false
    // `error` says why and nothing is left open. Whether the host is found and the connection
    // made shows in update(); both are given up when `deadlineMs` passes.
    bool connect(const std::string& host, int port, std::int64_t nowMs, std::int64_t deadlineMs,
                 std::string& error);
    // Moves a connection in progress on: Open once made. False with `error`, naming the host
    // and port, when it failed or its deadline passed; the channel is closed then.
    bool update(std::int64_t nowMs, std::string& error);

    // Queues `line` and an LF and writes what the socket takes now; the rest goes out on
    // later calls. False once the peer cannot be written to.
    bool sendLine(const std::string& line);
    bool flush();
    bool hasPendingOutput() const { return !output_.empty(); }

    // The next whole line without its line end, or what stopped it. Closed comes once the
    // peer closed the connection and every line before that was taken.
    Read readLine(std::string& line);

    State state() const { return state_; }
    // For the main loop's one poll: POLLIN on it says a line (or the end) may be waiting, or
    // while the host is looked up, that the lookup is over. While connecting, or while output
    // waits, the loop asks for POLLOUT instead or as well (pollEvents).
    int readDescriptor() const;
    short pollEvents() const;
    // Until the connect deadline; -1 when nothing waits on the clock.
    std::int64_t msUntilDeadline(std::int64_t nowMs) const;

    void close();

    // Shared with the thread that looks the host up, so that closing the channel never waits
    // for a lookup the resolver is still busy with: whichever lets go last frees it.
    struct HostLookup;

  private:
    // Opens a socket to the first address that takes a connection attempt.
    bool connectTo(const addrinfo* found, std::string& error);
    // The start of every error once the host and port are known: the player sees which server.
    std::string cannotConnect() const;
    // Moves a lookup on: false with `error` when the host is not found or the deadline passed.
    bool finishLookup(std::int64_t nowMs, std::string& error);

    State state_ = State::Closed;
    std::shared_ptr<HostLookup> lookup_;
    std::string host_;
    int port_ = 0;
    int socket_ = -1;
    std::int64_t deadlineMs_ = -1;
    LineBuffer input_;
    bool endOfInput_ = false;
    OutputQueue output_;
};

}  // namespace ixo
