#include "tests/support/linux_peer.h"

#include "tests/support/test_env.h"

#include <cstdlib>

LinuxPeer::LinuxPeer(const std::string& kind, const std::string& address, uint16_t port,
                     const std::vector<std::string>& extra)
    : pid(-1),
      ready(false),
      folder(TestRoot() + "/peers/" + kind + "-" + address + "-" + std::to_string(port))
{
    // The server runs in the background with a clean environment (the
    // sanitizer's preload must not reach it) and its output in its folder;
    // then bash's /dev/tcp tries the port until it accepts.
    std::string start = "mkdir -p " + ShellQuoted(folder) +
                        "; env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C bash " +
                        ShellQuoted(SourceDir() + "/tests/support/net-peer") + " " + kind + " " +
                        ShellQuoted(folder) + " " + address + " " + std::to_string(port);
    for (const std::string& argument : extra) start += " " + ShellQuoted(argument);
    start += " >" + ShellQuoted(folder + "/server.log") +
             " 2>&1 </dev/null & echo $!; for i in $(seq 500); do (: <>/dev/tcp/" + address + "/" +
             std::to_string(port) + ") 2>/dev/null && exit 0; sleep 0.02; done; exit 1";
    HostRun run = RunHost("bash -c " + ShellQuoted(start));
    pid = std::atoi(run.output.c_str());
    ready = pid > 0 && run.exitCode == 0;
}

LinuxPeer::~LinuxPeer()
{
    // The server is no child of ours: once it has ended it may stay a zombie
    // until the namespace's first process reaps it.
    std::string status = "/proc/" + std::to_string(pid) + "/status";
    if (pid > 0)
        RunHost("kill " + std::to_string(pid) + "; for i in $(seq 150); do grep -qs '^State:.[^Z]' " +
                status + " || exit 0; sleep 0.02; done; kill -9 " + std::to_string(pid));
}
