// The reference update service under hostile load, run as a child process on
// a free port of 127.0.0.1, with clients from loopback addresses of their
// own; and the PROXY headers that load balancers send.
#include "service/service_message.h"
#include "tools/service/proxy_header.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <regex.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace sm = service_message;
using Clock = std::chrono::steady_clock;

namespace {

// The service, with its standard output on a pipe that is read only while a
// test looks for a log line.
class Service {
public:
    // The launcher, if any, runs the service with its arguments.
    explicit Service(std::vector<std::string> options, std::vector<std::string> launcher = {})
    {
        const char* binary = std::getenv("QV_SERVICE_BINARY");
        options.insert(options.begin(),
                       {binary ? binary : "quorvalent-service", "--port", "0", "--package-url", "q"});
        options.insert(options.begin(), launcher.begin(), launcher.end());
        std::vector<char*> argv;
        for (std::string& option : options) argv.push_back(&option[0]);
        argv.push_back(nullptr);
        int pipe[2];
        pipe2(pipe, O_CLOEXEC);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
        posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipe[1]);
        output = pipe[0];
        if (Logged("listening on [0-9.]+:[0-9]+ "))
            port = static_cast<uint16_t>(std::stoi(text.substr(text.find(':', text.find("listening")) + 1)));
    }
    ~Service()
    {
        if (pid > 0 && kill(pid, SIGKILL) == 0)
            waitpid(pid, nullptr, 0);
        close(output);
    }
    // Reads the output until the pattern has matched count times (false
    // after 10 s).
    bool Logged(const std::string& pattern, long count = 1)
    {
        regex_t expression;
        regcomp(&expression, pattern.c_str(), REG_EXTENDED);
        ssize_t got = -1;
        for (Clock::time_point end = Clock::now() + std::chrono::seconds(10);
             Clock::now() < end && got != 0;) {
            if (Matches(expression, count))
                return regfree(&expression), true;
            pollfd ready = {output, POLLIN, 0};
            char chunk[4096];
            got = poll(&ready, 1, 100) == 1 ? read(output, chunk, sizeof chunk) : -1;
            text.append(chunk, got > 0 ? got : 0);
        }
        return regfree(&expression), false;
    }
    // The exit code once the service has ended, or -1 after 15 s.
    int Wait()
    {
        int status = 0;
        for (int tries = 0; tries < 750;
             ++tries, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }

    // Whether the expression matches the output count times.
    bool Matches(const regex_t& expression, long count) const
    {
        regmatch_t match;
        for (const char* at = text.c_str(); count > 0 && regexec(&expression, at, 1, &match, 0) == 0; --count)
            at += match.rm_eo;
        return count == 0;
    }

    pid_t pid = -1;
    int output = -1;
    uint16_t port = 0;
    std::string text;
};

// The bytes of a message with the given words.
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
    bool Begin(const std::string& prefix, sm::Message* challenge) const
    {
        return Ask(prefix + Encoded(sm::kUpdateRequest, {sm::kRequestWord0, sm::kRequestWord1, 7}),
                   challenge) &&
               challenge->type == sm::kChallenge;
    }
    // Answers the challenge; the type of the final answer, or 0 for none.
    uint32_t Finish(const sm::Message& challenge) const
    {
        uint32_t word = 0;
        sm::BodyWord(challenge, 3, &word);
        sm::Message final{};
        return Ask(Encoded(sm::kChallengeResponse, {sm::HandshakeTransform(word)}), &final) ? final.type : 0;
    }
    int fd;
};

uint32_t Exchange(uint16_t port, const char* from, const std::string& prefix = "")
{
    Client client(port, from);
    sm::Message challenge{};
    return client.Begin(prefix, &challenge) ? client.Finish(challenge) : 0;
}

std::string ProxyV1(const char* client, const char* port)
{
    return std::string("PROXY TCP4 ") + client + " 127.0.0.1 " + port + " 16000\r\n";
}

// A version 2 header: signature, version and command, family and transport,
// length, then the body.
std::string ProxyV2(char command, char family, const std::string& body)
{
    return std::string("\r\n\r\n\0\r\nQUIT\n", 12) + command + family + char(body.size() >> 8) +
           char(body.size()) + body;
}

const std::string kV2Inet("\xC6\x33\x64\x08\xC0\x00\x02\x01\x0F\xA1\x3E\x80",
                          12);  // 198.51.100.8:4001 -> 192.0.2.1:16000

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
    using proxy_header::Parse;
    std::string v6(36, '\0');
    v6[0] = '\x20', v6[1] = '\x01', v6[15] = '\x07', v6[33] = '\x01';
    const struct {
        std::string bytes;
        Parse parse;
        const char* client;  // address:port, "" when none is named
        size_t size;
    } rows[] = {
        {ProxyV1("198.51.100.7", "4000") + std::string("\0\0\0\xB4", 4), Parse::Complete, "198.51.100.7:4000",
         46},
        {"PROXY TCP6 2001:db8::7 2001:db8::1 4000 16000\r\n", Parse::Complete, "2001:db8::7:4000", 47},
        {"PROXY UNKNOWN ffff::1 ffff::2 1 2\r\n", Parse::Complete, "", 35},
        {ProxyV2('\x21', '\x11', kV2Inet) + "\x01", Parse::Complete, "198.51.100.8:4001", 28},
        {ProxyV2('\x21', '\x21', v6), Parse::Complete, "2001::7:1", 52},
        {ProxyV2('\x21', '\x11', kV2Inet + std::string("\x04\x00\x02id", 5)), Parse::Complete,
         "198.51.100.8:4001", 33},
        {ProxyV2('\x20', '\x00', ""), Parse::Complete, "", 16},
        {ProxyV2('\x21', '\x00', "\x01\x02"), Parse::Complete, "", 18},
        {"", Parse::Incomplete, "", 0},
        {"PROX", Parse::Incomplete, "", 0},
        {"PROXY TCP4 198.51.100.7 127.0.0.1 4000", Parse::Incomplete, "", 0},
        {ProxyV2('\x21', '\x11', kV2Inet).substr(0, 14), Parse::Incomplete, "", 0},
        {ProxyV2('\x21', '\x11', kV2Inet).substr(0, 20), Parse::Incomplete, "", 0},
        {"PROXY TCP4 198.51.100.7 127.0.0.1 4000" + std::string(69, ' '), Parse::Malformed, "", 0},
        {"PROXY TCP4 198.51.100.7 127.0.0.1 4000 16000\n", Parse::Malformed, "", 0},
        {ProxyV1("198.51.100.7", "65536"), Parse::Malformed, "", 0},
        {ProxyV1("198.51.100.7", "+4000"), Parse::Malformed, "", 0},
        {ProxyV1("2001:db8::7", "4000"), Parse::Malformed, "", 0},
        {ProxyV1("198.51.100.07", "4000"), Parse::Malformed, "", 0},
        {"PROXY TCP6 fe80::1%lo fe80::2 1 2\r\n", Parse::Malformed, "", 0},
        {"PROXY TCP4 198.51.100.7  127.0.0.1 4000 16000\r\n", Parse::Malformed, "", 0},
        {"PROXY TCP4 198.51.100.7 127.0.0.1 4000\r\n", Parse::Malformed, "", 0},
        {"PROXY TCP4 198.51.100.7 127.0.0.1 4000 16000 1\r\n", Parse::Malformed, "", 0},
        {"PROXY UDP4 198.51.100.7 127.0.0.1 4000 16000\r\n", Parse::Malformed, "", 0},
        {"PROXY \r\n", Parse::Malformed, "", 0},
        {"GET / HTTP/1.0\r\n", Parse::Malformed, "", 0},
        {ProxyV2('\x11', '\x11', kV2Inet), Parse::Malformed, "", 0},
        {ProxyV2('\x22', '\x11', kV2Inet), Parse::Malformed, "", 0},
        {ProxyV2('\x21', '\x41', kV2Inet), Parse::Malformed, "", 0},
        {ProxyV2('\x21', '\x12', kV2Inet), Parse::Malformed, "", 0},
        {ProxyV2('\x21', '\x11', kV2Inet.substr(0, 8)), Parse::Malformed, "", 0},
        {ProxyV2('\x21', '\x11', std::string(513, '\0')), Parse::Malformed, "", 0},
        {std::string("\r\n\r\n\0\r\nQUIT\r", 12) + ProxyV2('\x21', '\x11', kV2Inet).substr(12),
         Parse::Malformed, "", 0},
    };
    for (const auto& row : rows) {
        proxy_header::Header header;
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(row.bytes.data());
        ASSERT_EQ(proxy_header::ParseHeader(bytes, row.bytes.size(), &header), row.parse) << row.bytes;
        if (row.parse != Parse::Complete)
            continue;
        EXPECT_EQ(header.size, row.size) << row.bytes;
        EXPECT_EQ(header.hasClient ? header.client.to_string() + ":" + std::to_string(header.clientPort) : "",
                  row.client)
            << row.bytes;
    }
}

TEST(UpdateService, ACrowdFromOneAddressShutsNoOtherOut)
{
    Service service({"--max-connections", "8", "--max-per-client", "4", "--request-seconds", "1"});
    ASSERT_NE(service.port, 0);
    std::vector<std::unique_ptr<Client>> crowd;
    for (int i = 0; i < 8; ++i) crowd.push_back(std::make_unique<Client>(service.port, "127.0.0.2"));
    EXPECT_EQ(Exchange(service.port, "127.0.0.3"), sm::kPackageLocation);
    EXPECT_TRUE(service.Logged("client=127.0.0.2:[0-9]+ nonce=0 result=client-limit ms=", 4));
    EXPECT_TRUE(service.Logged("client=127.0.0.2:[0-9]+ nonce=0 result=no-request ms=1[0-9]{3}\n", 4));
}

TEST(UpdateService, AcceptErrorsPauseInsteadOfSpinning)
{
    Service service({});
    ASSERT_NE(service.port, 0);
    rlimit normal, exhausted;
    ASSERT_EQ(prlimit(service.pid, RLIMIT_NOFILE, nullptr, &normal), 0);
    exhausted = {4, normal.rlim_max};
    ASSERT_EQ(prlimit(service.pid, RLIMIT_NOFILE, &exhausted, nullptr), 0);
    Client waiting(service.port, "127.0.0.2");
    sm::Message challenge{};
    ASSERT_TRUE(service.Logged("accept failed: Too many open files"));
    long before = CpuTicks(service.pid);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LT(CpuTicks(service.pid) - before, sysconf(_SC_CLK_TCK) / 10);
    ASSERT_EQ(prlimit(service.pid, RLIMIT_NOFILE, &normal, nullptr), 0);
    ASSERT_TRUE(waiting.Begin("", &challenge));
    EXPECT_EQ(waiting.Finish(challenge), sm::kPackageLocation);
    // Under a descriptor limit too low for --max-connections, fewer clients
    // are served at once, and the service says so.
    Service tight({"--max-connections", "100"}, {"prlimit", "--nofile=64:64"});
    EXPECT_TRUE(tight.Logged("at most [1-4][0-9] clients at once"));
}

TEST(UpdateService, AStoppedLogReaderHoldsNoExchangeUp)
{
    Service service({});
    ASSERT_NE(service.port, 0);
    fcntl(service.output, F_SETPIPE_SZ, 4096);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(Exchange(service.port, "127.0.0.2"), sm::kPackageLocation) << "exchange " << i;
    EXPECT_TRUE(service.Logged("result=location", 300));
}

TEST(UpdateService, TermEndsItAfterTheExchangesInFlight)
{
    Service service({});
    ASSERT_NE(service.port, 0);
    Client inFlight(service.port, "127.0.0.2");
    sm::Message challenge{};
    ASSERT_TRUE(inFlight.Begin("", &challenge));
    kill(service.pid, SIGTERM);
    ASSERT_TRUE(service.Logged("stopping: 1 exchanges in flight"));
    EXPECT_EQ(Client(service.port, "127.0.0.3").fd, -1);
    EXPECT_EQ(inFlight.Finish(challenge), sm::kPackageLocation);
    EXPECT_EQ(service.Wait(), 0);
    EXPECT_TRUE(service.Logged("result=location ms=[0-9]+\nstopped\n"));
}

TEST(UpdateService, BehindABalancerTheClientItNamesIsLoggedAndLimited)
{
    Service service({"--proxy-from", "127.0.0.5", "--max-per-client", "1"});
    ASSERT_NE(service.port, 0);
    Client holding(service.port, "127.0.0.5");
    sm::Message challenge{};
    ASSERT_TRUE(holding.Begin(ProxyV1("198.51.100.9", "4000"), &challenge));
    const struct {
        const char* from;
        std::string prefix;
        uint32_t answer;
        const char* logged;
    } rows[] = {
        {"127.0.0.5", ProxyV1("198.51.100.7", "4000"), sm::kPackageLocation,
         "client=198.51.100.7:4000 via=127.0.0.5 nonce=7 result=location"},
        {"127.0.0.5", ProxyV2('\x21', '\x11', kV2Inet), sm::kPackageLocation,
         "client=198.51.100.8:4001 via=127.0.0.5 nonce=7 result=location"},
        {"127.0.0.5", ProxyV1("198.51.100.9", "4001"), 0,
         "client=198.51.100.9:4001 via=127.0.0.5 nonce=0 result=client-limit"},
        {"127.0.0.5", "PROXY TCP4 nonsense\r\n", 0,
         "client=127.0.0.5:[0-9]+ via=127.0.0.5 nonce=0 result=bad-proxy-header"},
        {"127.0.0.5", "", 0, "client=127.0.0.5:[0-9]+ via=127.0.0.5 nonce=0 result=bad-proxy-header"},
        {"127.0.0.6", ProxyV1("198.51.100.7", "4000"), 0,
         "client=127.0.0.6:[0-9]+ nonce=0 result=proxy-not-allowed"},
        {"127.0.0.6", "", sm::kPackageLocation, "client=127.0.0.6:[0-9]+ nonce=7 result=location"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Exchange(service.port, row.from, row.prefix), row.answer) << row.logged;
        EXPECT_TRUE(service.Logged(row.logged)) << row.logged;
    }
}
