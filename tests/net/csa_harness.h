#pragma once

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine_process.h"
#include "gtest/gtest.h"
#include "net/csa_client.h"

namespace ixo::testing {

inline std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The stand-in server as a child process: it says its port on its output, and logs every
// line it receives to a file of its own.
class FakeCsaServer {
  public:
    explicit FakeCsaServer(std::vector<std::string> arguments = {}) {
        char name[] = "/tmp/ixo-fake-csa-XXXXXX";
        const int descriptor = mkstemp(name);
        close(descriptor);
        log_ = name;
        arguments.push_back("--log");
        arguments.push_back(log_);
        std::string error;
        if (!process_.start(IXO_FAKE_CSA_SERVER, arguments, error)) {
            ADD_FAILURE() << error;
            return;
        }
        const std::int64_t giveUp = nowMs() + 10000;
        std::string line;
        while (nowMs() < giveUp) {
            const EngineProcess::Read read = process_.readLine(line);
            if (read == EngineProcess::Read::Line && line.rfind("PORT ", 0) == 0) {
                port_ = std::stoi(line.substr(5));
                return;
            }
            if (read == EngineProcess::Read::Closed) {
                break;
            }
            pollfd watched{process_.readDescriptor(), POLLIN, 0};
            poll(&watched, 1, 100);
        }
        ADD_FAILURE() << "the stand-in server did not say its port";
    }
    ~FakeCsaServer() {
        process_.kill();
        std::remove(log_.c_str());
    }

    int port() const { return port_; }
    // Every line the server received, in order.
    std::vector<std::string> received() const {
        std::vector<std::string> lines;
        std::ifstream stream(log_);
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(line);
        }
        return lines;
    }

  private:
    EngineProcess process_;
    std::string log_;
    int port_ = 0;
};

// Tests shorten every wait, so that a hang is caught in a second or two.
inline CsaLogin loginTo(const FakeCsaServer& server, const std::string& user = "tester",
                        const std::string& password = "secret") {
    CsaLogin login;
    login.host = "127.0.0.1";
    login.port = server.port();
    login.user = user;
    login.password = password;
    login.timeouts.factor = 0.05;
    // The keep-alive is tested on its own with a clock moved on by hand.
    login.timeouts.keepAliveMs = 3600 * 1000;
    return login;
}

// Runs clients the way the main loop will: one poll on their sockets and deadlines, then
// update, handing every event to `react` (which may send requests) until it returns true or
// `limitMs` passes. `offsetMs` is added to the clock the clients are told.
inline void runClients(std::vector<CsaClient*> clients,
                       const std::function<bool(int, const CsaEvent&)>& react, int limitMs,
                       std::int64_t offsetMs = 0) {
    const std::int64_t giveUp = nowMs() + limitMs;
    for (;;) {
        for (std::size_t index = 0; index < clients.size(); ++index) {
            CsaEvent event;
            while (clients[index]->pollEvent(event)) {
                if (react(static_cast<int>(index), event)) {
                    return;
                }
            }
        }
        const std::int64_t now = nowMs();
        if (now >= giveUp) {
            ADD_FAILURE() << "the clients did not finish within " << limitMs << " ms";
            return;
        }
        std::int64_t wait = std::min<std::int64_t>(giveUp - now, 200);
        std::vector<pollfd> watched;
        for (CsaClient* client : clients) {
            if (client->nextDeadline() >= 0) {
                wait = std::min<std::int64_t>(
                    wait, std::max<std::int64_t>(client->nextDeadline() - now - offsetMs, 0));
            }
            if (client->readDescriptor() >= 0) {
                watched.push_back(pollfd{client->readDescriptor(), client->pollEvents(), 0});
            }
        }
        poll(watched.data(), watched.size(), static_cast<int>(wait));
        for (CsaClient* client : clients) {
            client->update(nowMs() + offsetMs);
        }
    }
}

// One client's events until one of `kind` or a fault, the events on the way included.
inline std::vector<CsaEvent> runUntil(CsaClient& client, CsaEvent::Kind kind, int limitMs = 5000) {
    std::vector<CsaEvent> seen;
    runClients(
        {&client},
        [&](int, const CsaEvent& event) {
            seen.push_back(event);
            return event.kind == kind || event.kind == CsaEvent::Kind::Fault;
        },
        limitMs);
    return seen;
}

}  // namespace ixo::testing
