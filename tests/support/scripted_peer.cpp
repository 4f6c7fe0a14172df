#include <windows.h>

#include "tests/support/scripted_peer.h"

#include <cstring>

struct ScriptedPeer::State {
    std::vector<PeerScript> scripts;
    std::vector<std::string> received;
    SOCKET listener = INVALID_SOCKET;
    HANDLE thread = nullptr;
    volatile LONG stop = 0;
    bool completed = false;
};

namespace {

typedef ScriptedPeer::State State;

// Waits until the socket is readable; false when the server is stopping.
bool WaitReadable(State& state, SOCKET socketHandle)
{
    while (!state.stop) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socketHandle, &readable);
        timeval pause = {0, 50000};
        int ready = select(0, &readable, nullptr, nullptr, &pause);
        if (ready != 0)
            return ready > 0;
    }
    return false;
}

// One receive into the record; false when the client closed or failed.
bool ReceiveSome(State& state, SOCKET client, std::string& record, uint32_t most)
{
    char bytes[4096];
    if (!WaitReadable(state, client))
        return false;
    int asked = most < sizeof bytes ? static_cast<int>(most) : static_cast<int>(sizeof bytes);
    int got = recv(client, bytes, asked, 0);
    if (got <= 0)
        return false;
    record.append(bytes, static_cast<size_t>(got));
    return true;
}

bool SendAll(SOCKET client, const char* bytes, size_t length)
{
    while (length > 0) {
        int sent = send(client, bytes, static_cast<int>(length), 0);
        if (sent <= 0)
            return false;
        bytes += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

// Passes bytes both ways between client and a new connection to the step's
// server, cutting the server's side after step.count bytes.
bool RunRelay(State& state, SOCKET client, const PeerStep& step, std::string& record)
{
    SOCKET server = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = htons(step.port);
    target.sin_addr.s_addr = inet_addr(step.bytes.c_str());
    if (server == INVALID_SOCKET || connect(server, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
        if (server != INVALID_SOCKET)
            closesocket(server);
        return false;
    }
    uint32_t passed = 0;
    bool open = true;
    while (open && !state.stop && passed < step.count) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(client, &readable);
        FD_SET(server, &readable);
        timeval pause = {0, 50000};
        if (select(0, &readable, nullptr, nullptr, &pause) <= 0)
            continue;
        char bytes[4096];
        if (FD_ISSET(client, &readable)) {
            int got = recv(client, bytes, sizeof bytes, 0);
            open = got > 0 && SendAll(server, bytes, static_cast<size_t>(got));
            if (got > 0)
                record.append(bytes, static_cast<size_t>(got));
        }
        if (open && FD_ISSET(server, &readable)) {
            uint32_t room = step.count - passed;
            int asked = room < sizeof bytes ? static_cast<int>(room) : static_cast<int>(sizeof bytes);
            int got = recv(server, bytes, asked, 0);
            open = got > 0 && SendAll(client, bytes, static_cast<size_t>(got));
            if (got > 0)
                passed += static_cast<uint32_t>(got);
        }
    }
    closesocket(server);
    return !state.stop;
}

bool RunStep(State& state, SOCKET client, const PeerStep& step, std::string& record)
{
    switch (step.kind) {
    case PeerStep::kReceive: {
        size_t target = record.size() + step.count;
        while (record.size() < target)
            if (!ReceiveSome(state, client, record, static_cast<uint32_t>(target - record.size())))
                return false;
        return true;
    }
    case PeerStep::kReceiveHeaders: {
        // Byte by byte, so that nothing after the request head is taken.
        size_t start = record.size();
        while (record.find("\r\n\r\n", start) == std::string::npos)
            if (!ReceiveSome(state, client, record, 1))
                return false;
        return true;
    }
    case PeerStep::kSend:
        return SendAll(client, step.bytes.data(), step.bytes.size());
    case PeerStep::kTrickle:
        for (char byte : step.bytes) {
            if (state.stop || !SendAll(client, &byte, 1))
                return false;
            Sleep(step.pauseMs);
        }
        return true;
    case PeerStep::kWaitForClose:
        while (ReceiveSome(state, client, record, 4096)) {
        }
        return !state.stop;
    case PeerStep::kRelay:
        return RunRelay(state, client, step, record);
    }
    return false;
}

SOCKET AcceptOne(State& state)
{
    if (!WaitReadable(state, state.listener))
        return INVALID_SOCKET;
    return accept(state.listener, nullptr, nullptr);
}

DWORD WINAPI Serve(void* parameter)
{
    State& state = *static_cast<State*>(parameter);
    for (size_t index = 0; index < state.scripts.size(); ++index) {
        SOCKET client = AcceptOne(state);
        if (client == INVALID_SOCKET)
            return 0;
        state.received.emplace_back();
        bool ran = true;
        for (const PeerStep& step : state.scripts[index])
            if (!(ran = RunStep(state, client, step, state.received.back())))
                break;
        closesocket(client);
        if (!ran)
            return 0;
    }
    state.completed = true;
    return 0;
}

}  // namespace

PeerStep Receive(uint32_t count) { return {PeerStep::kReceive, "", count, 0, 0}; }
PeerStep ReceiveHeaders() { return {PeerStep::kReceiveHeaders, "", 0, 0, 0}; }
PeerStep Send(const std::string& bytes) { return {PeerStep::kSend, bytes, 0, 0, 0}; }
PeerStep Trickle(const std::string& bytes, uint32_t pauseMs) { return {PeerStep::kTrickle, bytes, 0, pauseMs, 0}; }
PeerStep WaitForClose() { return {PeerStep::kWaitForClose, "", 0, 0, 0}; }
PeerStep Relay(const std::string& address, uint16_t port, uint32_t cut)
{
    return {PeerStep::kRelay, address, cut, 0, port};
}

ScriptedPeer::ScriptedPeer(const char* address, uint16_t port, std::vector<PeerScript> scripts)
    : state(new State)
{
    state->scripts = std::move(scripts);
    state->listener = socket(AF_INET, SOCK_STREAM, 0);
    if (state->listener == INVALID_SOCKET)
        return;
    BOOL reuse = TRUE;
    setsockopt(state->listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = inet_addr(address);
    if (bind(state->listener, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(state->listener, 8) != 0) {
        closesocket(state->listener);
        state->listener = INVALID_SOCKET;
        return;
    }
    state->thread = CreateThread(nullptr, 0, Serve, state.get(), 0, nullptr);
}

ScriptedPeer::~ScriptedPeer()
{
    state->stop = 1;
    Finish();
}

bool ScriptedPeer::Listening() const
{
    return state->thread != nullptr;
}

bool ScriptedPeer::Finish(uint32_t waitMs)
{
    if (state->thread) {
        if (WaitForSingleObject(state->thread, waitMs) != WAIT_OBJECT_0) {
            state->stop = 1;
            WaitForSingleObject(state->thread, INFINITE);
        }
        CloseHandle(state->thread);
        state->thread = nullptr;
    }
    if (state->listener != INVALID_SOCKET) {
        closesocket(state->listener);
        state->listener = INVALID_SOCKET;
    }
    return state->completed;
}

std::string ScriptedPeer::Received(size_t index) const
{
    return index < state->received.size() ? state->received[index] : std::string();
}

size_t ScriptedPeer::Accepted() const
{
    return state->received.size();
}

WinsockSession::WinsockSession()
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
}

WinsockSession::~WinsockSession()
{
    WSACleanup();
}
