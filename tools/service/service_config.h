// The reference update service's configuration, read from its command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FinalAnswer { Location, ServiceUnavailable, ManualUpdate, NoUpdate, EmptyLocation };

struct ServiceConfig {
    std::string listenAddress = "127.0.0.1";
    uint16_t port = 16000;
    std::string packageUrl;
    uint32_t packageNumber = 1;
    // Dotted IPv4 address that clients are sent to instead; empty for none.
    std::string redirectTo;
    // Redirect only while more than this many clients are being served; 0
    // redirects every client. This is how several services share one name.
    uint32_t redirectAbove = 0;
    FinalAnswer answer = FinalAnswer::Location;
    // Send one type 1 message before the answer to UpdateRequest.
    bool preamble = false;
    uint32_t maxConnections = 512;
    // Connections at once from one client address; more are closed at once.
    uint32_t maxPerClient = 16;
    // A client that has not sent its whole request by then (installers send
    // theirs at once) is dropped.
    uint32_t requestSeconds = 2;
    // A client that has not finished its exchange by then is dropped.
    uint32_t clientSeconds = 10;
    // IPv4 addresses of load balancers that put a PROXY protocol header (v1
    // or v2) in front of each connection; empty for none. From these peers
    // the header is required, from all others it is refused.
    std::vector<std::string> proxyFrom;
};

// Fills the configuration from the arguments; false with a message in error
// when an argument is unknown or a value is malformed.
bool ParseServiceConfig(int argc, char** argv, ServiceConfig* config, std::string* error);

extern const char* const kServiceUsage;
