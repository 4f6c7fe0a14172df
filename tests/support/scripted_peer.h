// A relay inside the test process between the installer and a real server
// that can cut the server's answer, as a failing network would; it runs on a
// thread of its own. WinsockSession initialises the socket layer for a test.
// Test thread for the interface.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One accepted connection is passed on to address:port, both ways, until
// either side closes or cut bytes of the server's answer have reached the
// client, where the connection ends.
struct PeerStep {
    std::string address;
    uint16_t port;
    uint32_t cut;
};
PeerStep Relay(const std::string& address, uint16_t port, uint32_t cut = 0xFFFFFFFFu);
typedef std::vector<PeerStep> PeerScript;

class ScriptedPeer {
public:
    // Listens on address:port at once, then serves one accepted connection
    // per script, in order.
    ScriptedPeer(const char* address, uint16_t port, std::vector<PeerScript> scripts);
    // Stops the relay, even in the middle of a script.
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    bool Listening() const;

    struct State;

private:
    std::unique_ptr<State> state;
};

// A socket bound to address:port, listening when it is a stream socket; or
// INVALID_SOCKET.
SOCKET BoundSocket(const char* address, uint16_t port, int type = SOCK_STREAM, int backlog = 8);

class WinsockSession {
public:
    WinsockSession();
    ~WinsockSession();
};
