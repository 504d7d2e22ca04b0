#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "net/tcp_channel.h"

namespace ixo {
namespace {

// A listening socket on the loopback address, on a port the system picks.
class Listener {
  public:
    Listener() {
        socket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(socket_, 1);
        socklen_t size = sizeof address;
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { close(socket_); }
    int port() const { return port_; }

  private:
    int socket_ = -1;
    int port_ = 0;
};

// Drives `channel` the way the main loop does: poll on what it asks for, then update. Each
// poll must be woken by the channel's descriptor, never run out: a lookup that finished
// without waking the loop would leave the game asleep until some other event came.
bool driveUntilSettled(TcpChannel& channel, std::string& error) {
    for (int pass = 0; pass < 20; ++pass) {
        pollfd watched{channel.readDescriptor(), channel.pollEvents(), 0};
        EXPECT_GE(watched.fd, 0);
        EXPECT_GT(poll(&watched, 1, 10000), 0) << "the loop was not woken";
        if (!channel.update(0, error)) {
            return false;
        }
        if (channel.state() == TcpChannel::State::Open) {
            return true;
        }
    }
    ADD_FAILURE() << "the channel neither connected nor failed";
    return false;
}

TEST(TcpChannel, AHostNameIsLookedUpWhileTheLoopWaitsOnTheChannel) {
    Listener server;
    TcpChannel channel;
    std::string error;
    ASSERT_TRUE(channel.connect("localhost", server.port(), 0, 60000, error)) << error;
    EXPECT_EQ(channel.state(), TcpChannel::State::Connecting);
    EXPECT_TRUE(driveUntilSettled(channel, error)) << error;
    EXPECT_TRUE(channel.sendLine("LOGIN a b"));
}

TEST(TcpChannel, AnUnknownHostIsAFailureOfTheLoopNotOfTheStart) {
    TcpChannel channel;
    std::string error;
    ASSERT_TRUE(channel.connect("no-such-host.invalid", 4081, 0, 60000, error)) << error;
    EXPECT_FALSE(driveUntilSettled(channel, error));
    EXPECT_NE(error.find("cannot find the host no-such-host.invalid"), std::string::npos) << error;
    EXPECT_EQ(channel.state(), TcpChannel::State::Closed);
    EXPECT_EQ(channel.readDescriptor(), -1);
    // Given up while the lookup may still run: closing does not wait for it, and the lookup
    // cleans up after itself whenever it ends.
    TcpChannel abandoned;
    ASSERT_TRUE(abandoned.connect("no-such-host.invalid", 4081, 0, 60000, error));
    abandoned.close();
    EXPECT_EQ(abandoned.readDescriptor(), -1);
}

}  // namespace
}  // namespace ixo
