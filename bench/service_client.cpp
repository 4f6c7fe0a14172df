// quorvalent-service-bench: drives an update service with many concurrent
// clients on one event loop, each from a loopback address of its own
// (127.0.1.1 onwards) and running whole exchanges (request, the challenge
// answer, the package location) one after another for a while. Prints the
// exchanges per second and the count of failed exchanges.
//   quorvalent-service-bench ADDRESS PORT CLIENTS SECONDS
// With --idle it is the hostile crowd instead: COUNT connections from one
// address that send nothing, each opened again a second after the service
// closes it; it says when all are open, and runs for SECONDS.
//   quorvalent-service-bench --idle ADDRESS PORT COUNT SECONDS FROM
#include "service/service_message.h"

#include <asio.hpp>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

namespace sm = service_message;
using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

struct Totals {
    uint64_t done = 0;
    uint64_t failed = 0;
};

// A socket bound to the source address, its port chosen only at connect;
// closed (so that connecting fails) when it cannot be had.
tcp::socket SocketFrom(asio::io_context& io, const asio::ip::address_v4& source)
{
    tcp::socket socket(io);
    asio::error_code error;
    socket.open(tcp::v4(), error);
    int noPortYet = 1;
    if (!error)
        setsockopt(socket.native_handle(), IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &noPortYet, sizeof noPortYet);
    if (!error && socket.bind(tcp::endpoint(source, 0), error))
        socket.close(error);
    return socket;
}

class BenchClient : public std::enable_shared_from_this<BenchClient> {
public:
    BenchClient(asio::io_context& io, tcp::endpoint target, asio::ip::address_v4 source,
                Clock::time_point end, Totals& totals, uint32_t seed)
        : io_(io), socket_(io), target_(target), source_(source), end_(end), totals_(totals), random_(seed)
    {
    }

    void Next()
    {
        if (Clock::now() >= end_)
            return;
        socket_ = SocketFrom(io_, source_);
        auto self = shared_from_this();
        socket_.async_connect(target_, [self](const asio::error_code& error) {
            if (error)
                return self->Fail();
            self->nonce_ = static_cast<uint32_t>(self->random_());
            uint32_t words[] = {sm::kRequestWord0, sm::kRequestWord1, self->nonce_};
            size_t length = sm::EncodeWords(sm::kUpdateRequest, words, 3, self->out_.data());
            self->Send(length, [self] { self->ReadMessage([self] { self->OnFirstAnswer(); }); });
        });
    }

private:
    template <typename Next>
    void Send(size_t length, Next next)
    {
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(out_.data(), length),
                          [self, next](const asio::error_code& error, size_t) {
                              if (error)
                                  return self->Fail();
                              next();
                          });
    }

    template <typename Next>
    void ReadMessage(Next next)
    {
        auto self = shared_from_this();
        asio::async_read(socket_, asio::buffer(header_), [self, next](const asio::error_code& error, size_t) {
            if (error || !sm::DecodeHeader(self->header_.data(), &self->message_))
                return self->Fail();
            asio::async_read(self->socket_, asio::buffer(self->message_.body, self->message_.length),
                             [self, next](const asio::error_code& bodyError, size_t) {
                                 if (bodyError)
                                     return self->Fail();
                                 next();
                             });
        });
    }

    void OnFirstAnswer()
    {
        auto self = shared_from_this();
        if (message_.type == sm::kPreamble)
            return ReadMessage([self] { self->OnFirstAnswer(); });
        uint32_t proof = 0, challenge = 0;
        if (message_.type != sm::kChallenge || !sm::BodyWord(message_, 2, &proof) ||
            !sm::BodyWord(message_, 3, &challenge) || proof != sm::HandshakeTransform(nonce_))
            return Fail();
        uint32_t words[] = {sm::HandshakeTransform(challenge)};
        size_t length = sm::EncodeWords(sm::kChallengeResponse, words, 1, out_.data());
        Send(length, [self] { self->ReadMessage([self] { self->OnFinalAnswer(); }); });
    }

    void OnFinalAnswer()
    {
        if (message_.type != sm::kPackageLocation || message_.length < 1 || message_.body[0] == 0)
            return Fail();
        ++totals_.done;
        Close();
        Next();
    }

    void Fail()
    {
        if (Clock::now() < end_)
            ++totals_.failed;
        Close();
        Next();
    }

    void Close()
    {
        asio::error_code ignored;
        socket_.close(ignored);
    }

    asio::io_context& io_;
    tcp::socket socket_;
    tcp::endpoint target_;
    asio::ip::address_v4 source_;
    Clock::time_point end_;
    Totals& totals_;
    std::mt19937 random_;
    uint32_t nonce_ = 0;
    std::array<uint8_t, sm::kHeaderSize> header_{};
    sm::Message message_{};
    std::array<uint8_t, sm::kHeaderSize + 16> out_{};
};

// One connection of the hostile crowd: it connects, sends nothing, and once
// the service has closed it (or refused it) connects again a second later.
class IdleClient : public std::enable_shared_from_this<IdleClient> {
public:
    IdleClient(asio::io_context& io, tcp::endpoint target, asio::ip::address_v4 source, Clock::time_point end,
               uint32_t& opened)
        : io_(io), socket_(io), pause_(io), target_(target), source_(source), end_(end), opened_(opened)
    {
    }

    void Open()
    {
        if (Clock::now() >= end_)
            return;
        socket_ = SocketFrom(io_, source_);
        auto self = shared_from_this();
        socket_.async_connect(target_, [self](const asio::error_code& error) {
            ++self->opened_;
            if (error)
                return self->OpenLater();
            asio::async_read(self->socket_, asio::buffer(self->byte_),
                             [self](const asio::error_code&, size_t) { self->OpenLater(); });
        });
    }

private:
    void OpenLater()
    {
        asio::error_code ignored;
        socket_.close(ignored);
        auto self = shared_from_this();
        pause_.expires_after(std::chrono::seconds(1));
        pause_.async_wait([self](const asio::error_code&) { self->Open(); });
    }

    asio::io_context& io_;
    tcp::socket socket_;
    asio::steady_timer pause_;
    tcp::endpoint target_;
    asio::ip::address_v4 source_;
    Clock::time_point end_;
    uint32_t& opened_;
    std::array<uint8_t, 1> byte_{};
};

Clock::time_point After(double seconds)
{
    return Clock::now() + std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

int RunIdleCrowd(char** argv)
{
    asio::io_context io;
    tcp::endpoint target(asio::ip::make_address_v4(argv[0]), static_cast<uint16_t>(std::atoi(argv[1])));
    uint32_t count = static_cast<uint32_t>(std::atoi(argv[2]));
    Clock::time_point end = After(std::atof(argv[3]));
    uint32_t opened = 0;
    for (uint32_t i = 0; i < count; ++i)
        std::make_shared<IdleClient>(io, target, asio::ip::make_address_v4(argv[4]), end, opened)->Open();
    while (opened < count && io.run_one() > 0) {
    }
    std::printf("%u idle connections open\n", count);
    std::fflush(stdout);
    io.run();
    std::printf("idle crowd: %u connects\n", opened);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 7 && std::strcmp(argv[1], "--idle") == 0)
        return RunIdleCrowd(argv + 2);
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: quorvalent-service-bench ADDRESS PORT CLIENTS SECONDS\n"
                     "       quorvalent-service-bench --idle ADDRESS PORT COUNT SECONDS FROM\n");
        return 2;
    }
    try {
        asio::io_context io;
        tcp::endpoint target(asio::ip::make_address_v4(argv[1]), static_cast<uint16_t>(std::atoi(argv[2])));
        int clients = std::atoi(argv[3]);
        double seconds = std::atof(argv[4]);
        Totals totals;
        Clock::time_point start = Clock::now();
        Clock::time_point end = After(seconds);
        const uint32_t firstSource = asio::ip::make_address_v4("127.0.1.1").to_uint();
        for (int i = 0; i < clients; ++i) {
            asio::ip::address_v4 source(firstSource + static_cast<uint32_t>(i));
            std::make_shared<BenchClient>(io, target, source, end, totals, 1000u + static_cast<uint32_t>(i))
                ->Next();
        }
        io.run();
        double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("%d clients, %.1f s: %llu exchanges, %.0f exchanges/s, %llu failed\n", clients, elapsed,
                    static_cast<unsigned long long>(totals.done), totals.done / elapsed,
                    static_cast<unsigned long long>(totals.failed));
        return totals.failed == 0 ? 0 : 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quorvalent-service-bench: %s\n", failure.what());
        return 1;
    }
}
