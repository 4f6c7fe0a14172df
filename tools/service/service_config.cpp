#include "tools/service/service_config.h"

#include "service/service_message.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const kServiceUsage =
    "usage: quorvalent-service [options]\n"
    "  --listen ADDRESS        IPv4 address to listen on (default 127.0.0.1)\n"
    "  --port N                TCP port (default 16000; 0 for any free port)\n"
    "  --package-url URL       the package URL handed out (at most 255 bytes)\n"
    "  --package-number N      the package number the package carries (default 1)\n"
    "  --redirect ADDRESS      send clients to this IPv4 address instead\n"
    "  --redirect-above N      redirect only while more than N clients are served\n"
    "  --refuse KIND           unavailable | manual | noupdate | empty\n"
    "  --preamble              send one type 1 message before the answer\n"
    "  --max-connections N     clients served at once (default 512)\n"
    "  --max-per-client N      connections at once from one client address (default 16)\n"
    "  --request-seconds N     time a client may take to send its request (default 2)\n"
    "  --client-seconds N      time a client may take for its exchange (default 10)\n"
    "  --proxy-from ADDRESS    a load balancer that sends PROXY protocol headers\n"
    "                          (v1 or v2; may be repeated)\n";

namespace {

bool ParseNumber(const char* text, uint32_t low, uint32_t high, uint32_t* value)
{
    if (!text || !*text)
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || text[0] == '-' || parsed < low || parsed > high)
        return false;
    *value = static_cast<uint32_t>(parsed);
    return true;
}

bool IsIPv4(const char* text)
{
    in_addr address;
    return text && inet_pton(AF_INET, text, &address) == 1;
}

bool ParseRefusal(const char* text, FinalAnswer* answer)
{
    const struct {
        const char* name;
        FinalAnswer answer;
    } kinds[] = {{"unavailable", FinalAnswer::ServiceUnavailable},
                 {"manual", FinalAnswer::ManualUpdate},
                 {"noupdate", FinalAnswer::NoUpdate},
                 {"empty", FinalAnswer::EmptyLocation}};
    for (const auto& kind : kinds) {
        if (text && std::strcmp(text, kind.name) == 0) {
            *answer = kind.answer;
            return true;
        }
    }
    return false;
}

// Applies one option with its value; false when the value is not acceptable.
bool ApplyOption(const std::string& name, const char* value, ServiceConfig* config)
{
    uint32_t number = 0;
    if (name == "--listen")
        return IsIPv4(value) && (config->listenAddress = value, true);
    if (name == "--port")
        return ParseNumber(value, 0, 65535, &number) && (config->port = static_cast<uint16_t>(number), true);
    if (name == "--package-url")
        return value && std::strlen(value) <= service_message::kMaxUrlLength &&
               (config->packageUrl = value, true);
    if (name == "--package-number")
        return ParseNumber(value, 0, 65535, &config->packageNumber);
    if (name == "--redirect")
        return IsIPv4(value) && (config->redirectTo = value, true);
    if (name == "--redirect-above")
        return ParseNumber(value, 0, 1000000, &config->redirectAbove);
    if (name == "--refuse")
        return ParseRefusal(value, &config->answer);
    if (name == "--max-connections")
        return ParseNumber(value, 1, 100000, &config->maxConnections);
    if (name == "--max-per-client")
        return ParseNumber(value, 1, 100000, &config->maxPerClient);
    if (name == "--request-seconds")
        return ParseNumber(value, 1, 3600, &config->requestSeconds);
    if (name == "--client-seconds")
        return ParseNumber(value, 1, 3600, &config->clientSeconds);
    if (name == "--proxy-from")
        return IsIPv4(value) && (config->proxyFrom.push_back(value), true);
    return false;
}

}  // namespace

bool ParseServiceConfig(int argc, char** argv, ServiceConfig* config, std::string* error)
{
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--preamble") {
            config->preamble = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[++i] : nullptr;
        if (!ApplyOption(name, value, config)) {
            *error = "bad option or value: " + name + (value ? std::string(" ") + value : "");
            return false;
        }
    }
    // Without a redirect for every client, some clients get the package.
    bool handsOutPackage =
        config->answer == FinalAnswer::Location && (config->redirectTo.empty() || config->redirectAbove != 0);
    if (handsOutPackage && config->packageUrl.empty()) {
        *error = "--package-url is needed unless the service redirects or refuses";
        return false;
    }
    if (config->redirectAbove != 0 && config->redirectTo.empty()) {
        *error = "--redirect-above needs --redirect";
        return false;
    }
    return true;
}
