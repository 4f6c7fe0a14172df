#include "tools/service/update_session.h"

#include "tools/service/update_server.h"

#include <cstring>

namespace sm = service_message;
using asio::ip::tcp;

namespace {

std::string EndpointText(const asio::ip::address& address, uint16_t port)
{
    std::string text = address.to_string();
    return (address.is_v6() ? "[" + text + "]" : text) + ":" + std::to_string(port);
}

const char* AnswerName(FinalAnswer answer)
{
    switch (answer) {
        case FinalAnswer::Location:
            return "location";
        case FinalAnswer::ServiceUnavailable:
            return "unavailable";
        case FinalAnswer::ManualUpdate:
            return "manual";
        case FinalAnswer::NoUpdate:
            return "noupdate";
        case FinalAnswer::EmptyLocation:
            return "empty";
    }
    return "?";
}

uint32_t AddressWord(const std::string& dotted) { return asio::ip::make_address_v4(dotted).to_uint(); }

}  // namespace

UpdateSession::UpdateSession(UpdateServer& server, tcp::socket socket)
    : server_(server), socket_(std::move(socket)), timer_(server.io_), started_(Clock::now())
{
    server_.SessionStarted(this);
    asio::error_code ignored;
    tcp::endpoint peer = socket_.remote_endpoint(ignored);
    peer_ = client_ = peer.address();
    clientText_ = EndpointText(peer.address(), peer.port());
}

UpdateSession::~UpdateSession()
{
    if (admitted_)
        server_.ReleaseClient(client_);
    long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_).count();
    server_.log_.Line("exchange client=%s%s%s nonce=%u result=%s ms=%lld", clientText_.c_str(),
                      via_.empty() ? "" : " via=", via_.c_str(), nonce_, result_, ms);
    server_.SessionEnded(this);
}

void UpdateSession::Start()
{
    const ServiceConfig& config = server_.config_;
    if (server_.active_ > config.maxConnections)
        return Fail("busy");
    ArmDeadline(started_ + std::chrono::seconds(std::min(config.requestSeconds, config.clientSeconds)));
    if (!server_.SendsProxyHeader(peer_))
        return Admit();
    via_ = peer_.to_string();
    ReadProxyHeader();
}

void UpdateSession::ReadProxyHeader()
{
    auto self = shared_from_this();
    proxy_header::Header header;
    switch (proxy_header::ParseHeader(input_.data(), inputSize_, &header)) {
        case proxy_header::Parse::Incomplete:
            return ReadAtLeast(inputSize_ + 1, [self] { self->ReadProxyHeader(); });
        case proxy_header::Parse::Malformed:
            return Fail("bad-proxy-header");
        case proxy_header::Parse::Complete:
            break;
    }
    Consume(header.size);
    // The balancer's own connection (a health check, say) is not a client
    // of any address.
    if (!header.hasClient)
        return ReadMessage([self] { self->OnRequest(); });
    client_ = header.client;
    clientText_ = EndpointText(header.client, header.clientPort);
    Admit();
}

void UpdateSession::Admit()
{
    if (!server_.AdmitClient(client_))
        return Fail("client-limit");
    admitted_ = true;
    auto self = shared_from_this();
    ReadMessage([self] { self->OnRequest(); });
}

void UpdateSession::ArmDeadline(Clock::time_point deadline)
{
    timer_.expires_at(deadline);
    auto self = shared_from_this();
    timer_.async_wait([self](const asio::error_code& error) {
        // A wait for an earlier deadline may have completed before the
        // deadline moved: only the current deadline counts.
        if (error || self->timer_.expiry() > Clock::now())
            return;
        self->Fail(self->requestSeen_ ? "timeout" : "no-request");
    });
}

void UpdateSession::ReadAtLeast(size_t count, std::function<void()> next)
{
    if (inputSize_ >= count)
        return next();
    auto self = shared_from_this();
    asio::async_read(socket_, asio::buffer(input_.data() + inputSize_, input_.size() - inputSize_),
                     asio::transfer_at_least(count - inputSize_),
                     [self, next](const asio::error_code& error, size_t got) {
                         self->inputSize_ += got;
                         if (error)
                             return self->Fail("closed");
                         next();
                     });
}

void UpdateSession::Consume(size_t count)
{
    std::memmove(input_.data(), input_.data() + count, inputSize_ - count);
    inputSize_ -= count;
}

void UpdateSession::ReadMessage(std::function<void()> next)
{
    auto self = shared_from_this();
    ReadAtLeast(sm::kHeaderSize, [self, next] {
        // A PROXY header from a peer that may not send one would otherwise
        // pass for an oversize message.
        if (self->via_.empty() && !self->requestSeen_ &&
            proxy_header::LooksLikeHeader(self->input_.data(), sm::kHeaderSize))
            return self->Fail("proxy-not-allowed");
        if (!sm::DecodeHeader(self->input_.data(), &self->message_))
            return self->Fail("oversize");
        self->ReadAtLeast(sm::kHeaderSize + self->message_.length, [self, next] {
            std::memcpy(self->message_.body, self->input_.data() + sm::kHeaderSize, self->message_.length);
            self->Consume(sm::kHeaderSize + self->message_.length);
            next();
        });
    });
}

void UpdateSession::OnRequest()
{
    uint32_t word0 = 0, word1 = 0;
    if (message_.type != sm::kUpdateRequest || !sm::BodyWord(message_, 0, &word0) ||
        !sm::BodyWord(message_, 1, &word1) || !sm::BodyWord(message_, 2, &nonce_) ||
        word0 != sm::kRequestWord0 || word1 != sm::kRequestWord1)
        return Fail("bad-request");
    requestSeen_ = true;
    const ServiceConfig& config = server_.config_;
    ArmDeadline(started_ + std::chrono::seconds(config.clientSeconds));
    uint32_t proof = sm::HandshakeTransform(nonce_);
    if (server_.ShouldRedirect()) {
        uint32_t words[] = {proof, AddressWord(config.redirectTo)};
        return Reply(sm::EncodeWords(sm::kRedirect, words, 2, out_.data()), "redirect");
    }
    size_t length = 0;
    if (config.preamble)
        length = sm::EncodeWords(sm::kPreamble, nullptr, 0, out_.data());
    if (config.answer == FinalAnswer::ServiceUnavailable) {
        length += sm::EncodeWords(sm::kServiceUnavailable, nullptr, 0, out_.data() + length);
        return Reply(length, "unavailable");
    }
    challenge_ = server_.NextChallenge();
    uint32_t words[] = {0, config.packageNumber, proof, challenge_};
    length += sm::EncodeWords(sm::kChallenge, words, 4, out_.data() + length);
    auto self = shared_from_this();
    Send(length, [self] { self->ReadMessage([self] { self->OnChallengeResponse(); }); });
}

void UpdateSession::OnChallengeResponse()
{
    uint32_t answer = 0;
    if (message_.type != sm::kChallengeResponse || !sm::BodyWord(message_, 0, &answer) ||
        answer != sm::HandshakeTransform(challenge_))
        return Fail("bad-response");
    const ServiceConfig& config = server_.config_;
    switch (config.answer) {
        case FinalAnswer::ManualUpdate:
            return Reply(sm::EncodeWords(sm::kManualUpdate, nullptr, 0, out_.data()), "manual");
        case FinalAnswer::NoUpdate:
            return Reply(sm::EncodeWords(sm::kNoUpdate, nullptr, 0, out_.data()), "noupdate");
        case FinalAnswer::EmptyLocation:
            return Reply(sm::EncodePackageLocation("", 0, out_.data()), "empty");
        default:
            return Reply(
                sm::EncodePackageLocation(config.packageUrl.data(), config.packageUrl.size(), out_.data()),
                AnswerName(config.answer));
    }
}

void UpdateSession::Send(size_t length, std::function<void()> next)
{
    auto self = shared_from_this();
    asio::async_write(socket_, asio::buffer(out_.data(), length),
                      [self, next](const asio::error_code& error, size_t) {
                          if (error)
                              return self->Fail("closed");
                          next();
                      });
}

void UpdateSession::Reply(size_t length, const char* result)
{
    auto self = shared_from_this();
    Send(length, [self, result] {
        self->result_ = result;
        self->Close();
    });
}

void UpdateSession::Fail(const char* result)
{
    if (std::strcmp(result_, "pending") == 0)
        result_ = result;
    Close();
}

void UpdateSession::Close()
{
    asio::error_code ignored;
    timer_.cancel();
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
}
