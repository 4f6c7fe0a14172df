// quorvalent-service: the update service that tells installers where the
// current package lies. See `quorvalent-service --help`.
#include "tools/service/service_config.h"
#include "tools/service/update_server.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kServiceUsage, stdout);
        return 0;
    }
    ServiceConfig config;
    std::string error;
    if (!ParseServiceConfig(argc, argv, &config, &error)) {
        std::fprintf(stderr, "quorvalent-service: %s\n%s", error.c_str(), kServiceUsage);
        return 2;
    }
    try {
        asio::io_context io;
        UpdateServer server(io, config);
        server.Start();
        asio::signal_set signals(io, SIGINT, SIGTERM);
        signals.async_wait([&](const asio::error_code&, int) {
            server.Stop();
            io.stop();
        });
        std::printf("listening on %s:%u\n", config.listenAddress.c_str(), server.Port());
        std::fflush(stdout);
        io.run();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quorvalent-service: %s\n", failure.what());
        return 1;
    }
    return 0;
}
