#include "tests/support/linux_peer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

// The variable's value (tests/support/test_env.h cannot be used beside the
// Linux socket headers here).
std::string Variable(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

void SleepMs(long ms)
{
    timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}

void MakeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    mkdir(path.c_str(), 0755);
}

// Straight system calls and no htons: in a Winelib program the plain names
// socket, connect, close and htons may bind to the Windows socket functions,
// which take their arguments another way.
bool PortAccepts(const std::string& address, uint16_t port)
{
    long probe = syscall(SYS_socket, AF_INET, SOCK_STREAM, 0);
    if (probe < 0)
        return false;
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    uint8_t* portBytes = reinterpret_cast<uint8_t*>(&target.sin_port);
    portBytes[0] = static_cast<uint8_t>(port >> 8);
    portBytes[1] = static_cast<uint8_t>(port);
    inet_pton(AF_INET, address.c_str(), &target.sin_addr);
    bool accepted = syscall(SYS_connect, probe, &target, sizeof target) == 0;
    syscall(SYS_close, probe);
    return accepted;
}

// Reaps the child if it has ended; true when it is gone.
bool Reaped(int pid)
{
    int status = 0;
    pid_t result = waitpid(pid, &status, WNOHANG);
    return result == pid || (result < 0 && errno == ECHILD);
}

}  // namespace

bool WriteUnixFile(const std::string& path, const std::string& bytes)
{
    MakeFolders(path.substr(0, path.rfind('/')));
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

LinuxPeer::LinuxPeer(const std::string& kind, const std::string& address, uint16_t port,
                     const std::vector<std::string>& extra)
    : pid(-1),
      ready(false),
      folder(Variable("QV_TEST_ROOT", "/tmp") + "/peers/" + kind + "-" + address + "-" + std::to_string(port))
{
    MakeFolders(folder);
    std::string script = Variable("QV_SOURCE_DIR", ".") + "/tests/support/net-peer";
    std::vector<std::string> arguments = {"bash", script, kind, folder, address, std::to_string(port)};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    // A clean environment: the sanitizer preload of the test must not reach
    // the servers.
    char path[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";
    char locale[] = "LANG=C";
    char* envp[] = {path, locale, nullptr};
    std::string log = folder + "/server.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t child = -1;
    if (posix_spawn(&child, "/bin/bash", &actions, nullptr, argv.data(), envp) == 0)
        pid = child;
    posix_spawn_file_actions_destroy(&actions);
    for (int tries = 0; pid > 0 && tries < 500 && !ready; ++tries) {
        ready = PortAccepts(address, port);
        if (!ready)
            SleepMs(20);
    }
}

LinuxPeer::~LinuxPeer()
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int tries = 0; tries < 150; ++tries) {
        if (Reaped(pid))
            return;
        SleepMs(20);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}
