// The reference update service: one event loop serves every client, so a slow
// client holds no one else up. Each client gets a time limit for its whole
// exchange, the number of clients served at once is capped, and nothing a
// client sends is trusted (types, lengths and the challenge answer are checked
// before anything is answered).
#pragma once

#include "tools/service/service_config.h"

#include <asio.hpp>
#include <cstdint>
#include <functional>

class UpdateServer {
public:
    UpdateServer(asio::io_context& io, const ServiceConfig& config);

    // Starts accepting; the caller runs the io_context.
    void Start();
    // Closes the listening socket; sessions in flight finish or time out.
    void Stop();

    uint16_t Port() const;
    uint32_t ActiveSessions() const { return active_; }

private:
    friend class UpdateSession;

    void Accept();
    // Whether a client arriving now is to be sent elsewhere.
    bool ShouldRedirect() const;

    asio::io_context& io_;
    const ServiceConfig& config_;
    asio::ip::tcp::acceptor acceptor_;
    uint32_t active_ = 0;
    uint32_t nextChallenge_;
};
