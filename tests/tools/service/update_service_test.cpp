// The reference update service under hostile load, run as a child process on
// a free port of 127.0.0.1, with clients from loopback addresses of their
// own; and the PROXY headers that load balancers send.
#include "service/service_message.h"
#include "tests/support/data_rows.h"
#include "tools/service/proxy_header.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <regex.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace sm = service_message;
using Clock = std::chrono::steady_clock;

namespace {

// The service, started by a shell that prints its own pid and then becomes
// the service (through the launcher, if any), with its standard output on a
// pipe that is read only while a test looks for a log line.
class Service {
public:
    explicit Service(const std::string& options, const std::string& launcher = "")
    {
        const char* binary = std::getenv("QV_SERVICE_BINARY");
        const std::string command = "echo $$; exec " + launcher + " " +
                                    (binary ? binary : "quorvalent-service") + " --port 0 --package-url q " +
                                    options;
        output = popen(command.c_str(), "r");
        if (output && Logged("^[0-9]+\n"))
            pid = std::stoi(text);
        if (pid > 0 && Logged("listening on [0-9.]+:[0-9]+ "))
            port = uint16_t(std::stoi(text.substr(text.find(':', text.find("listening")) + 1)));
    }
    ~Service()
    {
        if (pid > 0)
            kill(pid, SIGKILL);
        if (output)
            pclose(output);
    }
    // Reads the output until the pattern has matched count times (false
    // after 10 s or at the output's end).
    bool Logged(const std::string& pattern, long count = 1)
    {
        regex_t expression;
        regcomp(&expression, pattern.c_str(), REG_EXTENDED);
        long matched = 0;
        for (Clock::time_point end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
            regmatch_t match;
            const char* at = text.c_str();
            for (matched = 0; matched < count && regexec(&expression, at, 1, &match, 0) == 0; ++matched)
                at += match.rm_eo;
            pollfd ready = {fileno(output), POLLIN, 0};
            char chunk[4096];
            ssize_t got =
                matched < count && poll(&ready, 1, 100) == 1 ? read(ready.fd, chunk, sizeof chunk) : -1;
            if (matched == count || got == 0)
                break;
            text.append(chunk, got > 0 ? got : 0);
        }
        regfree(&expression);
        return matched == count;
    }

    pid_t pid = -1;
    FILE* output = nullptr;
    uint16_t port = 0;
    std::string text;
};

std::string Encoded(uint32_t type, std::vector<uint32_t> words)
{
    uint8_t bytes[sm::kHeaderSize + 16];
    return std::string(reinterpret_cast<char*>(bytes),
                       sm::EncodeWords(type, words.data(), words.size(), bytes));
}

// A blocking connection from a loopback address; fd -1 when refused.
struct Client {
    Client(uint16_t port, const char* from) : fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        timeval limit = {5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in address = {AF_INET, 0, {inet_addr(from)}, {}};
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        address = {AF_INET, htons(port), {inet_addr("127.0.0.1")}, {}};
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            close(fd), fd = -1;
    }
    ~Client() { close(fd); }

    // Sends the bytes and reads the answer; false when none came.
    bool Ask(const std::string& bytes, sm::Message* answer) const
    {
        uint8_t header[sm::kHeaderSize];
        return write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) &&
               recv(fd, header, sizeof header, MSG_WAITALL) == sizeof header &&
               sm::DecodeHeader(header, answer) &&
               recv(fd, answer->body, answer->length, MSG_WAITALL) == ssize_t(answer->length);
    }
    // Sends the prefix and the request; false when no challenge came back.
    bool Begin(const std::string& prefix = "")
    {
        return Ask(prefix + Encoded(sm::kUpdateRequest, {sm::kRequestWord0, sm::kRequestWord1, 7}),
                   &challenge) &&
               challenge.type == sm::kChallenge;
    }
    // Answers the challenge; the type of the final answer, or 0 for none.
    uint32_t Finish() const
    {
        uint32_t word = 0;
        sm::BodyWord(challenge, 3, &word);
        sm::Message final{};
        return Ask(Encoded(sm::kChallengeResponse, {sm::HandshakeTransform(word)}), &final) ? final.type : 0;
    }
    int fd;
    sm::Message challenge{};
};

uint32_t Exchange(uint16_t port, const char* from, const std::string& prefix = "")
{
    Client client(port, from);
    return client.Begin(prefix) ? client.Finish() : 0;
}

// User and system time of the process in clock ticks (fields 14 and 15).
long CpuTicks(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    long user = -1, system = 0;
    std::sscanf(text.c_str() + text.rfind(')') + 2, "%*c%*s%*s%*s%*s%*s%*s%*s%*s%*s%*s%ld%ld", &user,
                &system);
    return user + system;
}

}  // namespace

TEST(ProxyHeader, ParsesWhatBalancersSendAndRefusesEverythingElse)
{
    for (const DataRow& row : ReadDataRows("proxy_header/headers.txt")) {
        proxy_header::Header header;
        const std::string& bytes = row[0];
        proxy_header::Parse parse =
            proxy_header::ParseHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &header);
        std::string outcome = parse == proxy_header::Parse::Incomplete ? "incomplete"
                              : parse == proxy_header::Parse::Malformed
                                  ? "malformed"
                                  : "complete " + std::to_string(header.size);
        if (parse == proxy_header::Parse::Complete && header.hasClient)
            outcome += " " + header.client.to_string() + ":" + std::to_string(header.clientPort);
        EXPECT_EQ(outcome, row.at(1)) << bytes;
    }
}

TEST(UpdateService, ACrowdFromOneAddressShutsNoOtherOut)
{
    Service service("--max-connections 8 --max-per-client 4 --request-seconds 1");
    ASSERT_NE(service.port, 0);
    std::vector<std::unique_ptr<Client>> crowd;
    for (int i = 0; i < 8; ++i) crowd.push_back(std::make_unique<Client>(service.port, "127.0.0.2"));
    EXPECT_EQ(Exchange(service.port, "127.0.0.3"), sm::kPackageLocation);
    EXPECT_TRUE(service.Logged("client=127.0.0.2:[0-9]+ nonce=0 result=client-limit ms=", 4));
    EXPECT_TRUE(service.Logged("client=127.0.0.2:[0-9]+ nonce=0 result=no-request ms=1[0-9]{3}\n", 4));
}

TEST(UpdateService, AcceptErrorsPauseInsteadOfSpinning)
{
    Service service("");
    ASSERT_NE(service.port, 0);
    rlimit normal, exhausted;
    ASSERT_EQ(prlimit(service.pid, RLIMIT_NOFILE, nullptr, &normal), 0);
    exhausted = {4, normal.rlim_max};
    ASSERT_EQ(prlimit(service.pid, RLIMIT_NOFILE, &exhausted, nullptr), 0);
    Client waiting(service.port, "127.0.0.2");
    ASSERT_TRUE(service.Logged("accept failed: Too many open files"));
    long before = CpuTicks(service.pid);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LT(CpuTicks(service.pid) - before, sysconf(_SC_CLK_TCK) / 10);
    ASSERT_EQ(prlimit(service.pid, RLIMIT_NOFILE, &normal, nullptr), 0);
    ASSERT_TRUE(waiting.Begin());
    EXPECT_EQ(waiting.Finish(), sm::kPackageLocation);
    // Under a descriptor limit too low for --max-connections, fewer clients
    // are served at once, and the service says so.
    Service tight("--max-connections 100", "prlimit --nofile=64:64");
    EXPECT_TRUE(tight.Logged("at most [1-4][0-9] clients at once"));
}

TEST(UpdateService, AStoppedLogReaderHoldsNoExchangeUp)
{
    Service service("");
    ASSERT_NE(service.port, 0);
    fcntl(fileno(service.output), F_SETPIPE_SZ, 4096);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(Exchange(service.port, "127.0.0.2"), sm::kPackageLocation) << "exchange " << i;
    EXPECT_TRUE(service.Logged("result=location", 300));
}

TEST(UpdateService, TermEndsItAfterTheExchangesInFlight)
{
    Service service("");
    ASSERT_NE(service.port, 0);
    Client inFlight(service.port, "127.0.0.2");
    ASSERT_TRUE(inFlight.Begin());
    kill(service.pid, SIGTERM);
    ASSERT_TRUE(service.Logged("stopping: 1 exchanges in flight"));
    EXPECT_EQ(Client(service.port, "127.0.0.3").fd, -1);
    EXPECT_EQ(inFlight.Finish(), sm::kPackageLocation);
    ASSERT_TRUE(service.Logged("result=location ms=[0-9]+\nstopped\n"));  // else pclose would wait for ever
    service.pid = 0;  // it has ended: no other process may be killed in its name
    EXPECT_EQ(pclose(std::exchange(service.output, nullptr)), 0);  // exit status 0
}

TEST(UpdateService, BehindABalancerTheClientItNamesIsLoggedAndLimited)
{
    Service service("--proxy-from 127.0.0.5 --max-per-client 1");
    ASSERT_NE(service.port, 0);
    Client holding(service.port, "127.0.0.5");
    ASSERT_TRUE(holding.Begin("PROXY TCP4 198.51.100.9 127.0.0.1 4000 16000\r\n"));
    for (const DataRow& row : ReadDataRows("update_service/behind_a_balancer.txt")) {
        uint32_t answer = Exchange(service.port, row[0].c_str(), row.at(1));
        std::string outcome = answer == sm::kPackageLocation ? "location"
                              : answer                       ? std::to_string(answer)
                                                             : "none";
        EXPECT_EQ(outcome + (service.Logged(row.at(3)) ? "" : ", not logged"), row.at(2)) << row[3];
    }
}
