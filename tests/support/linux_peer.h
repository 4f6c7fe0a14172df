// Real servers for the network tests (nginx, tinyproxy, microsocks, danted),
// run as Linux processes beside the test through support/net-peer. The test
// runs in namespaces of its own (QV_HOSTS), so the servers listen on its
// private loopback and end with it at the latest. Test thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class LinuxPeer {
public:
    // Starts net-peer with the kind and the address and port to listen on,
    // followed by the kind's own arguments, in a folder of its own under the
    // test's scratch folder, and waits up to 10 s until the port accepts
    // connections.
    LinuxPeer(const std::string& kind, const std::string& address, uint16_t port,
              const std::vector<std::string>& extra = {});
    // Stops the server (SIGTERM, then SIGKILL after 3 s) and reaps it.
    ~LinuxPeer();
    LinuxPeer(const LinuxPeer&) = delete;
    LinuxPeer& operator=(const LinuxPeer&) = delete;

    // The port accepted connections in time.
    bool Ready() const { return ready; }
    // The server's folder (Unix path); nginx serves its "www" subfolder.
    const std::string& Folder() const { return folder; }

private:
    int pid;
    bool ready;
    std::string folder;
};

// Writes bytes to a file at a Unix path, creating missing folders; false on failure.
bool WriteUnixFile(const std::string& path, const std::string& bytes);
