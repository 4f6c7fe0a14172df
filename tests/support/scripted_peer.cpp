#include "tests/support/scripted_peer.h"

struct ScriptedPeer::State {
    std::vector<PeerScript> scripts;
    SOCKET listener = INVALID_SOCKET;
    HANDLE thread = nullptr;
    volatile LONG stop = 0;
};

namespace {

typedef ScriptedPeer::State State;

sockaddr_in Address(const char* address, uint16_t port)
{
    sockaddr_in ipv4 = {AF_INET, htons(port), {}, {}};
    ipv4.sin_addr.s_addr = inet_addr(address);
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

void RunRelay(State& state, SOCKET client, const PeerStep& step)
{
    SOCKET server = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target = Address(step.address.c_str(), step.port);
    uint32_t answered = 0;
    bool open = connect(server, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    while (open && !state.stop && answered < step.cut) {
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
}

DWORD WINAPI Serve(void* parameter)
{
    State& state = *static_cast<State*>(parameter);
    for (size_t served = 0; served < state.scripts.size() && !state.stop;) {
        fd_set ready = Readable(state.listener, state.listener);
        if (!FD_ISSET(state.listener, &ready))
            continue;
        SOCKET client = accept(state.listener, nullptr, nullptr);
        for (const PeerStep& step : state.scripts[served++]) RunRelay(state, client, step);
        closesocket(client);
    }
    return 0;
}

}  // namespace

PeerStep Relay(const std::string& address, uint16_t port, uint32_t cut) { return {address, port, cut}; }

ScriptedPeer::ScriptedPeer(const char* address, uint16_t port, std::vector<PeerScript> scripts)
    : state(new State)
{
    state->scripts = std::move(scripts);
    state->listener = BoundSocket(address, port);
    if (state->listener != INVALID_SOCKET)
        state->thread = CreateThread(nullptr, 0, Serve, state.get(), 0, nullptr);
}

ScriptedPeer::~ScriptedPeer()
{
    state->stop = 1;
    if (state->thread) {
        WaitForSingleObject(state->thread, INFINITE);
        CloseHandle(state->thread);
    }
    closesocket(state->listener);
}

bool ScriptedPeer::Listening() const { return state->thread != nullptr; }

SOCKET BoundSocket(const char* address, uint16_t port, int type, int backlog)
{
    SOCKET handle = socket(AF_INET, type, 0);
    // A relay made again at once must not find its port still taken.
    BOOL reuse = TRUE;
    setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in local = Address(address, port);
    if (bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
        (type != SOCK_STREAM || listen(handle, backlog) == 0))
        return handle;
    closesocket(handle);
    return INVALID_SOCKET;
}

WinsockSession::WinsockSession()
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
}

WinsockSession::~WinsockSession() { WSACleanup(); }
