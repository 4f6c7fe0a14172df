#include "tools/service/update_server.h"

#include "service/service_message.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

namespace sm = service_message;
using asio::ip::tcp;

namespace {

const char* AnswerName(FinalAnswer answer)
{
    switch (answer) {
    case FinalAnswer::Location: return "location";
    case FinalAnswer::ServiceUnavailable: return "unavailable";
    case FinalAnswer::ManualUpdate: return "manual";
    case FinalAnswer::NoUpdate: return "noupdate";
    case FinalAnswer::EmptyLocation: return "empty";
    }
    return "?";
}

uint32_t AddressWord(const std::string& dotted)
{
    return asio::ip::make_address_v4(dotted).to_uint();
}

}  // namespace

// One client's exchange: request, then a redirect, a refusal or a challenge,
// then the challenge answer and the final answer. The session keeps itself
// alive through the handlers it has pending and logs one line when it ends.
class UpdateSession : public std::enable_shared_from_this<UpdateSession> {
public:
    UpdateSession(UpdateServer& server, tcp::socket socket)
        : server_(server), socket_(std::move(socket)), timer_(server.io_), started_(Clock::now())
    {
        ++server_.active_;
        asio::error_code ignored;
        tcp::endpoint peer = socket_.remote_endpoint(ignored);
        peer_ = peer.address().to_string() + ":" + std::to_string(peer.port());
    }

    ~UpdateSession()
    {
        --server_.active_;
        long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_).count();
        std::printf("exchange client=%s nonce=%u result=%s ms=%lld\n", peer_.c_str(), nonce_, result_, ms);
        std::fflush(stdout);
    }

    void Start()
    {
        auto self = shared_from_this();
        timer_.expires_after(std::chrono::seconds(server_.config_.clientSeconds));
        timer_.async_wait([self](const asio::error_code& error) {
            if (!error) {
                self->result_ = "timeout";
                self->Close();
            }
        });
        ReadMessage([self] { self->OnRequest(); });
    }

private:
    using Clock = std::chrono::steady_clock;

    // Reads one message into message_, checking the announced length before
    // the body is read; then calls next.
    void ReadMessage(std::function<void()> next)
    {
        auto self = shared_from_this();
        asio::async_read(socket_, asio::buffer(header_), [self, next](const asio::error_code& error, size_t) {
            if (error)
                return self->Fail("closed");
            if (!sm::DecodeHeader(self->header_.data(), &self->message_))
                return self->Fail("oversize");
            asio::async_read(self->socket_, asio::buffer(self->message_.body, self->message_.length),
                             [self, next](const asio::error_code& bodyError, size_t) {
                                 if (bodyError)
                                     return self->Fail("closed");
                                 next();
                             });
        });
    }

    void OnRequest()
    {
        uint32_t word0 = 0, word1 = 0;
        if (message_.type != sm::kUpdateRequest || !sm::BodyWord(message_, 0, &word0) ||
            !sm::BodyWord(message_, 1, &word1) || !sm::BodyWord(message_, 2, &nonce_) ||
            word0 != sm::kRequestWord0 || word1 != sm::kRequestWord1)
            return Fail("bad-request");
        const ServiceConfig& config = server_.config_;
        uint32_t proof = sm::HandshakeTransform(nonce_);
        if (server_.ShouldRedirect()) {
            uint32_t words[] = {proof, AddressWord(config.redirectTo)};
            return Reply(sm::EncodeWords(sm::kRedirect, words, 2, Out()), "redirect");
        }
        size_t length = 0;
        if (config.preamble)
            length = sm::EncodeWords(sm::kPreamble, nullptr, 0, Out());
        if (config.answer == FinalAnswer::ServiceUnavailable) {
            length += sm::EncodeWords(sm::kServiceUnavailable, nullptr, 0, Out() + length);
            return Reply(length, "unavailable");
        }
        challenge_ = server_.nextChallenge_ = server_.nextChallenge_ * 1664525u + 1013904223u;
        uint32_t words[] = {0, config.packageNumber, proof, challenge_};
        length += sm::EncodeWords(sm::kChallenge, words, 4, Out() + length);
        auto self = shared_from_this();
        Send(length, [self] { self->ReadMessage([self] { self->OnChallengeResponse(); }); });
    }

    void OnChallengeResponse()
    {
        uint32_t answer = 0;
        if (message_.type != sm::kChallengeResponse || !sm::BodyWord(message_, 0, &answer) ||
            answer != sm::HandshakeTransform(challenge_))
            return Fail("bad-response");
        const ServiceConfig& config = server_.config_;
        switch (config.answer) {
        case FinalAnswer::ManualUpdate:
            return Reply(sm::EncodeWords(sm::kManualUpdate, nullptr, 0, Out()), "manual");
        case FinalAnswer::NoUpdate:
            return Reply(sm::EncodeWords(sm::kNoUpdate, nullptr, 0, Out()), "noupdate");
        case FinalAnswer::EmptyLocation:
            return Reply(sm::EncodePackageLocation("", 0, Out()), "empty");
        default:
            return Reply(sm::EncodePackageLocation(config.packageUrl.data(), config.packageUrl.size(), Out()),
                         AnswerName(config.answer));
        }
    }

    uint8_t* Out() { return out_.data(); }

    void Send(size_t length, std::function<void()> next)
    {
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(out_.data(), length),
                          [self, next](const asio::error_code& error, size_t) {
                              if (error)
                                  return self->Fail("closed");
                              next();
                          });
    }

    // Sends the last message of the exchange and ends it.
    void Reply(size_t length, const char* result)
    {
        auto self = shared_from_this();
        Send(length, [self, result] {
            self->result_ = result;
            self->Close();
        });
    }

    void Fail(const char* result)
    {
        if (std::string(result_) == "pending")
            result_ = result;
        Close();
    }

    void Close()
    {
        asio::error_code ignored;
        timer_.cancel();
        socket_.shutdown(tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
    }

    UpdateServer& server_;
    tcp::socket socket_;
    asio::steady_timer timer_;
    Clock::time_point started_;
    std::string peer_;
    std::array<uint8_t, sm::kHeaderSize> header_{};
    sm::Message message_{};
    std::array<uint8_t, 2 * sm::kHeaderSize + 4 * 4 + 1 + sm::kMaxUrlLength> out_{};
    uint32_t nonce_ = 0;
    uint32_t challenge_ = 0;
    const char* result_ = "pending";
};

UpdateServer::UpdateServer(asio::io_context& io, const ServiceConfig& config)
    : io_(io), config_(config), acceptor_(io), nextChallenge_(std::random_device{}())
{
}

void UpdateServer::Start()
{
    tcp::endpoint endpoint(asio::ip::make_address_v4(config_.listenAddress), config_.port);
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(tcp::acceptor::reuse_address(true));
    acceptor_.bind(endpoint);
    acceptor_.listen(asio::socket_base::max_listen_connections);
    Accept();
}

void UpdateServer::Stop()
{
    asio::error_code ignored;
    acceptor_.close(ignored);
}

uint16_t UpdateServer::Port() const { return acceptor_.local_endpoint().port(); }

bool UpdateServer::ShouldRedirect() const
{
    // The session being decided counts itself among the active ones.
    return !config_.redirectTo.empty() && active_ > config_.redirectAbove;
}

void UpdateServer::Accept()
{
    acceptor_.async_accept([this](const asio::error_code& error, tcp::socket socket) {
        if (error == asio::error::operation_aborted)
            return;
        if (!error) {
            if (active_ >= config_.maxConnections) {
                asio::error_code ignored;
                socket.close(ignored);
                std::printf("exchange result=busy\n");
                std::fflush(stdout);
            } else {
                std::make_shared<UpdateSession>(*this, std::move(socket))->Start();
            }
        }
        Accept();
    });
}
