// A scripted TCP server inside the test process, for what real servers will
// not do on request: replies that trickle, connections cut mid-header or
// mid-body, malformed answers, exact checks of the bytes a client sends. It
// runs on a thread of its own over Winsock; test thread for the interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One step of what the server does on a connection.
struct PeerStep {
    enum Kind { kReceive, kReceiveHeaders, kSend, kTrickle, kWaitForClose, kRelay };
    Kind kind;
    std::string bytes;
    uint32_t count;
    uint32_t pauseMs;
    uint16_t port;
};

// Receives exactly count bytes.
PeerStep Receive(uint32_t count);
// Receives up to and including the blank line that ends an HTTP request head.
PeerStep ReceiveHeaders();
PeerStep Send(const std::string& bytes);
// Sends the bytes one at a time with a pause after each.
PeerStep Trickle(const std::string& bytes, uint32_t pauseMs);
// Keeps the connection open until the client closes it.
PeerStep WaitForClose();
// Connects to a real server at address:port and passes bytes both ways
// until either side closes, or until `cut` bytes of the server's answer
// have reached the client: the connection then ends as if the network had
// failed. The client's bytes are recorded as usual.
PeerStep Relay(const std::string& address, uint16_t port, uint32_t cut = 0xFFFFFFFFu);

// What the server does on one accepted connection; it closes the connection
// after the last step.
typedef std::vector<PeerStep> PeerScript;

class ScriptedPeer {
public:
    // Listens on address:port at once and then serves one accepted connection
    // per script, in order. Needs an initialised socket layer.
    ScriptedPeer(const char* address, uint16_t port, std::vector<PeerScript> scripts);
    // Stops the server thread, even in the middle of a script.
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // The server listens.
    bool Listening() const;
    // Waits up to waitMs for all scripts to have run, then stops the server.
    // True when every script ran to its end.
    bool Finish(uint32_t waitMs = 10000);
    // Bytes received on connection number index; call after Finish.
    std::string Received(size_t index) const;
    // Count of connections accepted; call after Finish.
    size_t Accepted() const;

    struct State;

private:
    std::unique_ptr<State> state;
};

// WSAStartup for the length of a test (the application does it at start-up).
class WinsockSession {
public:
    WinsockSession();
    ~WinsockSession();
};
