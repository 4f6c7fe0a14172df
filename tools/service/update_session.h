// One client's exchange with the update service: a PROXY header first when
// the peer is a load balancer, then the request, then a redirect, a refusal
// or a challenge, then the challenge answer and the final answer. The session
// keeps itself alive through the handlers it has pending, and logs one line
// when it ends:
//   exchange client=ADDRESS:PORT [via=BALANCER] nonce=N result=RESULT ms=N
// RESULT is the answer sent (location, redirect, unavailable, manual,
// noupdate, empty) or why the exchange ended without one: busy (all places
// taken), client-limit (the client's address has its share), no-request (no
// whole request in time), timeout (no whole exchange in time), closed,
// oversize, bad-request, bad-response, bad-proxy-header, proxy-not-allowed,
// stopped (the service was made to end at once).
// Event loop thread only.
#pragma once

#include "service/service_message.h"
#include "tools/service/proxy_header.h"

#include <asio.hpp>
#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

class UpdateServer;

class UpdateSession : public std::enable_shared_from_this<UpdateSession> {
public:
    UpdateSession(UpdateServer& server, asio::ip::tcp::socket socket);
    ~UpdateSession();

    void Start();
    // Ends the exchange now, with the result given unless it has one.
    void Fail(const char* result);

private:
    using Clock = std::chrono::steady_clock;

    void ReadProxyHeader();
    // Counts client_ against its address's share, then reads its request.
    void Admit();
    void ArmDeadline(Clock::time_point deadline);
    // Reads until the input holds at least count bytes, then calls next.
    void ReadAtLeast(size_t count, std::function<void()> next);
    void Consume(size_t count);
    // Reads one message into message_, checking the announced length before
    // the body is read; then calls next.
    void ReadMessage(std::function<void()> next);
    void OnRequest();
    void OnChallengeResponse();
    void Send(size_t length, std::function<void()> next);
    // Sends the last message of the exchange and ends it.
    void Reply(size_t length, const char* result);
    void Close();

    UpdateServer& server_;
    asio::ip::tcp::socket socket_;
    asio::steady_timer timer_;
    Clock::time_point started_;
    asio::ip::address peer_;
    asio::ip::address client_;
    std::string clientText_;
    // The balancer's address when the connection comes through one.
    std::string via_;
    bool admitted_ = false;
    bool requestSeen_ = false;
    // What has arrived and is not used yet: room for a whole message or the
    // longest PROXY header.
    static constexpr size_t kInputSize = std::max<size_t>(
        proxy_header::kMaxV2Size, service_message::kHeaderSize + service_message::kMaxBodySize);
    std::array<uint8_t, kInputSize> input_{};
    size_t inputSize_ = 0;
    service_message::Message message_{};
    std::array<uint8_t, 2 * service_message::kHeaderSize + 4 * 4 + 1 + service_message::kMaxUrlLength> out_{};
    uint32_t nonce_ = 0;
    uint32_t challenge_ = 0;
    const char* result_ = "pending";
};
