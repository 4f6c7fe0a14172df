// The reference update service: one event loop serves every client, so a slow
// client holds no one else up. The number of clients served at once is
// capped, in all and per client address; each client has a short time for
// its request and a longer one for its whole exchange; and nothing a client
// sends is trusted (types, lengths and the challenge answer are checked
// before anything is answered). Behind a load balancer that sends PROXY
// protocol headers, the limits and the log apply to the client it names.
// Everything here runs on the event loop's thread.
#pragma once

#include "tools/service/log_writer.h"
#include "tools/service/service_config.h"

#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class UpdateSession;

class UpdateServer {
public:
    UpdateServer(asio::io_context& io, const ServiceConfig& config, LogWriter& log);

    // Starts accepting; the caller runs the io_context.
    void Start();
    // Stops accepting; the exchanges in flight go on to their end or their
    // deadline, and then drained is called on the loop (at once when none
    // is in flight).
    void Stop(std::function<void()> drained);
    // Ends every exchange in flight at once (result "stopped"); after Stop,
    // drained follows.
    void EndAll();

    uint16_t Port() const;
    uint32_t ActiveSessions() const { return active_; }

private:
    friend class UpdateSession;

    void Accept();
    // Accepting fails again at once while descriptors or memory are
    // exhausted, so the next try waits, longer after each failure.
    void PauseAccepting(const asio::error_code& error);
    // Whether a client arriving now is to be sent elsewhere.
    bool ShouldRedirect() const;
    // Whether the peer is a load balancer that sends PROXY headers.
    bool SendsProxyHeader(const asio::ip::address& peer) const;
    // Counts one more connection from the client's address; false (and
    // nothing counted) when the address has its share already.
    bool AdmitClient(const asio::ip::address& client);
    void ReleaseClient(const asio::ip::address& client);
    void SessionStarted(UpdateSession* session);
    void SessionEnded(UpdateSession* session);
    uint32_t NextChallenge();

    asio::io_context& io_;
    const ServiceConfig& config_;
    LogWriter& log_;
    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer acceptPause_;
    std::chrono::milliseconds pause_{0};
    std::vector<asio::ip::address> balancers_;
    std::unordered_map<asio::ip::address, uint32_t> perClient_;
    std::unordered_set<UpdateSession*> sessions_;
    uint32_t active_ = 0;
    uint32_t nextChallenge_;
    bool stopping_ = false;
    std::function<void()> drained_;
};
