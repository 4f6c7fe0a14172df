// Real servers for the end-to-end tests (nginx, tinyproxy, microsocks, danted,
// the update service), run beside the test through support/net-peer on the
// test's private loopback (QV_HOSTS); they end with the test at the latest.
// Test thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class LinuxPeer {
public:
    // Starts net-peer with the kind, the address and port to listen on and
    // the kind's own arguments, in a folder of its own under the test's
    // scratch folder, and waits up to 10 s until the port accepts connections.
    LinuxPeer(const std::string& kind, const std::string& address, uint16_t port,
              const std::vector<std::string>& extra = {});
    // Stops the server: SIGTERM, and SIGKILL after 3 s.
    ~LinuxPeer();
    LinuxPeer(const LinuxPeer&) = delete;
    LinuxPeer& operator=(const LinuxPeer&) = delete;

    bool Ready() const { return ready; }
    // The server's folder (Unix path); nginx serves its "www" subfolder,
    // there once the server is ready.
    const std::string& Folder() const { return folder; }

private:
    int pid;
    bool ready;
    std::string folder;
};
