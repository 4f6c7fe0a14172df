#include "tools/service/update_server.h"

#include "tools/service/update_session.h"

#include <algorithm>
#include <memory>
#include <random>

using asio::ip::tcp;

namespace {

const std::chrono::milliseconds kFirstPause(10);
const std::chrono::milliseconds kLongestPause(1000);

}  // namespace

UpdateServer::UpdateServer(asio::io_context& io, const ServiceConfig& config, LogWriter& log)
    : io_(io),
      config_(config),
      log_(log),
      acceptor_(io),
      acceptPause_(io),
      nextChallenge_(std::random_device{}())
{
    for (const std::string& balancer : config.proxyFrom)
        balancers_.push_back(asio::ip::make_address_v4(balancer));
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

void UpdateServer::Stop(std::function<void()> drained)
{
    stopping_ = true;
    drained_ = std::move(drained);
    asio::error_code ignored;
    acceptor_.close(ignored);
    acceptPause_.cancel();
    if (active_ == 0)
        asio::post(io_, drained_);
}

uint16_t UpdateServer::Port() const { return acceptor_.local_endpoint().port(); }

void UpdateServer::Accept()
{
    acceptor_.async_accept([this](const asio::error_code& error, tcp::socket socket) {
        if (error == asio::error::operation_aborted || stopping_)
            return;
        if (error)
            return PauseAccepting(error);
        pause_ = std::chrono::milliseconds(0);
        std::make_shared<UpdateSession>(*this, std::move(socket))->Start();
        Accept();
    });
}

void UpdateServer::PauseAccepting(const asio::error_code& error)
{
    pause_ = std::min(kLongestPause, pause_.count() == 0 ? kFirstPause : 2 * pause_);
    log_.Line("accept failed: %s; next try in %lld ms", error.message().c_str(),
              static_cast<long long>(pause_.count()));
    acceptPause_.expires_after(pause_);
    acceptPause_.async_wait([this](const asio::error_code& waitError) {
        if (!waitError && !stopping_)
            Accept();
    });
}

bool UpdateServer::ShouldRedirect() const
{
    // The session being decided counts itself among the active ones.
    return !config_.redirectTo.empty() && active_ > config_.redirectAbove;
}

bool UpdateServer::SendsProxyHeader(const asio::ip::address& peer) const
{
    return std::find(balancers_.begin(), balancers_.end(), peer) != balancers_.end();
}

bool UpdateServer::AdmitClient(const asio::ip::address& client)
{
    uint32_t& count = perClient_[client];
    if (count >= config_.maxPerClient)
        return false;
    ++count;
    return true;
}

void UpdateServer::ReleaseClient(const asio::ip::address& client)
{
    auto entry = perClient_.find(client);
    if (entry != perClient_.end() && --entry->second == 0)
        perClient_.erase(entry);
}

void UpdateServer::EndAll()
{
    // Ending a session may end its life, and with it its place in the set.
    std::vector<UpdateSession*> sessions(sessions_.begin(), sessions_.end());
    for (UpdateSession* session : sessions) session->Fail("stopped");
}

void UpdateServer::SessionStarted(UpdateSession* session)
{
    sessions_.insert(session);
    ++active_;
}

void UpdateServer::SessionEnded(UpdateSession* session)
{
    sessions_.erase(session);
    if (--active_ == 0 && stopping_ && drained_)
        asio::post(io_, drained_);
}

uint32_t UpdateServer::NextChallenge()
{
    nextChallenge_ = nextChallenge_ * 1664525u + 1013904223u;
    return nextChallenge_;
}
