#include "net/tcp_channel.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace ixo {

namespace {

addrinfo lookupHints(int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | flags;
    return hints;
}

}  // namespace

struct TcpChannel::HostLookup {
    std::mutex mutex;
    bool done = false;
    int status = 0;
    addrinfo* found = nullptr;
    int wakeRead = -1;
    int wakeWrite = -1;

    ~HostLookup() {
        if (found) {
            freeaddrinfo(found);
        }
        for (const int descriptor : {wakeRead, wakeWrite}) {
            if (descriptor >= 0) {
                ::close(descriptor);
            }
        }
    }
};

int TcpChannel::readDescriptor() const {
    return lookup_ ? lookup_->wakeRead : socket_;
}

bool TcpChannel::connect(const std::string& host, int port, std::int64_t nowMs,
                         std::int64_t deadlineMs, std::string& error) {
    close();
    if (port < 1 || port > 65535) {
        error = "port " + std::to_string(port) + " is not a TCP port";
        return false;
    }
    host_ = host;
    port_ = port;
    // A deadline already past still gives the lookup and the connection one look in update().
    deadlineMs_ = deadlineMs > nowMs ? deadlineMs : nowMs;
    const std::string service = std::to_string(port);
    const addrinfo numeric = lookupHints(AI_NUMERICHOST);
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), service.c_str(), &numeric, &found) == 0 && found) {
        const bool made = connectTo(found, error);
        freeaddrinfo(found);
        return made;
    }
    auto lookup = std::make_shared<HostLookup>();
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("cannot look the host up: ") + strerror(errno);
        return false;
    }
    lookup->wakeRead = wake[0];
    lookup->wakeWrite = wake[1];
    try {
        std::thread([lookup, host, service] {
            const addrinfo hints = lookupHints(0);
            addrinfo* result = nullptr;
            const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
            const std::lock_guard<std::mutex> hold(lookup->mutex);
            lookup->status = status;
            lookup->found = status == 0 ? result : nullptr;
            lookup->done = true;
            const char byte = 1;
            // Full or closed, the pipe has already woken the loop or no one is waiting.
            (void)!write(lookup->wakeWrite, &byte, 1);
        }).detach();
    } catch (const std::system_error& failure) {
        error = std::string("cannot look the host up: ") + failure.what();
        return false;
    }
    lookup_ = std::move(lookup);
    state_ = State::Connecting;
    return true;
}

std::string TcpChannel::cannotConnect() const {
    return "cannot connect to " + host_ + " port " + std::to_string(port_) + ": ";
}

bool TcpChannel::connectTo(const addrinfo* found, std::string& error) {
    // The first address that takes a connection attempt; a refusal known at once moves on to
    // the next (an IPv6 localhost, say, where the server listens on IPv4 only).
    int lastError = 0;
    for (const addrinfo* address = found; address; address = address->ai_next) {
        const int candidate =
            socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                   address->ai_protocol);
        if (candidate < 0) {
            lastError = errno;
            continue;
        }
        int result;
        do {
            result = ::connect(candidate, address->ai_addr, address->ai_addrlen);
        } while (result < 0 && errno == EINTR);
        if (result == 0 || errno == EINPROGRESS) {
            socket_ = candidate;
            state_ = result == 0 ? State::Open : State::Connecting;
            break;
        }
        lastError = errno;
        ::close(candidate);
    }
    if (socket_ < 0) {
        error = cannotConnect() + strerror(lastError);
        close();
        return false;
    }
    // A move is one short line; waiting to fill a packet would only add latency to it.
    const int noDelay = 1;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    if (state_ == State::Open) {
        deadlineMs_ = -1;
    }
    return true;
}

bool TcpChannel::finishLookup(std::int64_t nowMs, std::string& error) {
    addrinfo* found = nullptr;
    int status = 0;
    {
        const std::lock_guard<std::mutex> hold(lookup_->mutex);
        if (!lookup_->done) {
            if (deadlineMs_ >= 0 && nowMs >= deadlineMs_) {
                error = "cannot find the host " + host_ + " in time";
                close();
                return false;
            }
            return true;
        }
        status = lookup_->status;
        found = lookup_->found;
        lookup_->found = nullptr;
    }
    lookup_.reset();
    if (status != 0 || !found) {
        error = "cannot find the host " + host_ + ": " + gai_strerror(status);
        close();
        return false;
    }
    const bool made = connectTo(found, error);
    freeaddrinfo(found);
    return made;
}

bool TcpChannel::update(std::int64_t nowMs, std::string& error) {
    if (state_ != State::Connecting) {
        return state_ == State::Open;
    }
    if (lookup_) {
        if (!finishLookup(nowMs, error)) {
            return false;
        }
        if (lookup_ || state_ != State::Connecting) {
            return state_ != State::Closed;
        }
    }
    pollfd watched{socket_, POLLOUT, 0};
    if (poll(&watched, 1, 0) > 0) {
        int socketError = 0;
        socklen_t size = sizeof socketError;
        getsockopt(socket_, SOL_SOCKET, SO_ERROR, &socketError, &size);
        if (socketError != 0) {
            error = cannotConnect() + strerror(socketError);
            close();
            return false;
        }
        state_ = State::Open;
        deadlineMs_ = -1;
        if (!flush()) {
            error = cannotConnect() + "the connection failed as soon as it was made";
            close();
            return false;
        }
        return true;
    }
    if (deadlineMs_ >= 0 && nowMs >= deadlineMs_) {
        error = cannotConnect() + "no connection was made in time";
        close();
        return false;
    }
    return true;
}

bool TcpChannel::sendLine(const std::string& line) {
    if (socket_ < 0 || output_.failed()) {
        return false;
    }
    output_.addLine(line);
    return flush();
}

bool TcpChannel::flush() {
    if (socket_ < 0 || output_.failed()) {
        return false;
    }
    if (state_ != State::Open) {
        return true;
    }
    // MSG_NOSIGNAL: a peer that has gone must cost a failed write, not the game.
    return output_.flush([this](const char* data, std::size_t size) {
        return send(socket_, data, size, MSG_NOSIGNAL);
    });
}

TcpChannel::Read TcpChannel::readLine(std::string& line) {
    if (socket_ < 0 || state_ != State::Open) {
        return state_ == State::Connecting ? Read::NothingYet : Read::Closed;
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
        if (endOfInput_) {
            if (input_.takeRest(line)) {
                return Read::Line;
            }
            return Read::Closed;
        }
        char chunk[4096];
        const ssize_t count = recv(socket_, chunk, sizeof chunk, 0);
        if (count > 0) {
            input_.append(chunk, static_cast<std::size_t>(count));
        } else if (count == 0) {
            endOfInput_ = true;
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return Read::NothingYet;
        } else {
            // A reset is the end of the connection as much as an orderly close.
            endOfInput_ = true;
        }
    }
}

short TcpChannel::pollEvents() const {
    if (lookup_) {
        return POLLIN;
    }
    if (socket_ < 0 || endOfInput_) {
        return 0;
    }
    if (state_ == State::Connecting) {
        return POLLOUT;
    }
    return static_cast<short>(POLLIN | (output_.empty() ? 0 : POLLOUT));
}

std::int64_t TcpChannel::msUntilDeadline(std::int64_t nowMs) const {
    if (deadlineMs_ < 0) {
        return -1;
    }
    return deadlineMs_ > nowMs ? deadlineMs_ - nowMs : 0;
}

void TcpChannel::close() {
    lookup_.reset();
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
    state_ = State::Closed;
    deadlineMs_ = -1;
    input_.clear();
    endOfInput_ = false;
    output_.clear();
}

}  // namespace ixo
