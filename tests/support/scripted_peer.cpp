#include <windows.h>

#include "tests/support/scripted_peer.h"

struct ScriptedPeer::State {
    std::vector<PeerScript> scripts;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    HANDLE thread = nullptr;
    volatile LONG stop = 0;
    bool completed = false;
};

namespace {

typedef ScriptedPeer::State State;

sockaddr_in Address(const std::string& address, uint16_t port)
{
    sockaddr_in ipv4 = {AF_INET, htons(port), {}, {}};
    ipv4.sin_addr.s_addr = inet_addr(address.c_str());
    return ipv4;
}

// Those of the sockets that turn readable within 50 ms, so that a stop is
// seen soon.
fd_set Readable(SOCKET first, SOCKET second)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(first, &readable);
    FD_SET(second, &readable);
    timeval pause = {0, 50000};
    if (select(0, &readable, nullptr, nullptr, &pause) <= 0)
        FD_ZERO(&readable);
    return readable;
}

// False when the server cannot be reached or the relay stops.
bool RunRelay(State& state, SOCKET client, const PeerStep& step)
{
    SOCKET server = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target = Address(step.address, step.port);
    bool reached = connect(server, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    uint32_t answered = 0;
    for (bool open = reached; open && !state.stop && answered < step.cut;) {
        fd_set readable = Readable(client, server);
        for (SOCKET from : {client, server}) {
            char bytes[4096];
            uint32_t room =
                from == server && step.cut - answered < sizeof bytes ? step.cut - answered : sizeof bytes;
            int got = open && FD_ISSET(from, &readable) ? recv(from, bytes, static_cast<int>(room), 0) : -2;
            if (got != -2)
                open = got > 0 && send(from == server ? client : server, bytes, got, 0) == got;
            answered += from == server && got > 0 ? static_cast<uint32_t>(got) : 0;
        }
    }
    closesocket(server);
    return reached && !state.stop;
}

DWORD WINAPI Serve(void* parameter)
{
    State& state = *static_cast<State*>(parameter);
    size_t served = 0;
    for (bool ran = true; ran && served < state.scripts.size() && !state.stop;) {
        fd_set ready = Readable(state.listener, state.listener);
        if (!FD_ISSET(state.listener, &ready))
            continue;
        SOCKET client = accept(state.listener, nullptr, nullptr);
        for (const PeerStep& step : state.scripts[served++]) ran = ran && RunRelay(state, client, step);
        closesocket(client);
        state.completed = ran && served == state.scripts.size();
    }
    return 0;
}

}  // namespace

PeerStep Relay(const std::string& address, uint16_t port, uint32_t cut) { return {address, port, cut}; }

ScriptedPeer::ScriptedPeer(const char* address, uint16_t port, std::vector<PeerScript> scripts)
    : state(new State)
{
    state->scripts = std::move(scripts);
    BOOL reuse = TRUE;
    setsockopt(state->listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
               sizeof reuse);
    sockaddr_in local = Address(address, port);
    if (bind(state->listener, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
        listen(state->listener, 8) == 0)
        state->thread = CreateThread(nullptr, 0, Serve, state.get(), 0, nullptr);
}

ScriptedPeer::~ScriptedPeer()
{
    state->stop = 1;
    Finish();
}

bool ScriptedPeer::Listening() const { return state->thread != nullptr; }

bool ScriptedPeer::Finish(uint32_t waitMs)
{
    if (state->thread && WaitForSingleObject(state->thread, waitMs) != WAIT_OBJECT_0) {
        state->stop = 1;
        WaitForSingleObject(state->thread, INFINITE);
    }
    if (state->thread)
        CloseHandle(state->thread);
    state->thread = nullptr;
    closesocket(state->listener);
    state->listener = INVALID_SOCKET;
    return state->completed;
}

WinsockSession::WinsockSession()
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
}

WinsockSession::~WinsockSession() { WSACleanup(); }
