// quorvalent-service: the update service that tells installers where the
// current package lies. See `quorvalent-service --help`.
#include "tools/service/descriptor_limit.h"
#include "tools/service/log_writer.h"
#include "tools/service/service_config.h"
#include "tools/service/update_server.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Serves until SIGTERM or SIGINT, then stops accepting and ends once the
// exchanges in flight have ended; a second signal ends it at once.
int Serve(const ServiceConfig& config, LogWriter& log)
{
    asio::io_context io;
    UpdateServer server(io, config, log);
    server.Start();
    asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&](const asio::error_code& error, int) {
        if (error)
            return;
        server.Stop([&] { signals.cancel(); });
        log.Line("stopping: %u exchanges in flight", server.ActiveSessions());
        signals.async_wait([&](const asio::error_code& again, int) {
            if (!again)
                server.EndAll();
        });
    });
    log.Line(
        "listening on %s:%u (at most %u clients at once, %u per address; request within %u s, "
        "exchange within %u s%s)",
        config.listenAddress.c_str(), server.Port(), config.maxConnections, config.maxPerClient,
        config.requestSeconds, config.clientSeconds, config.proxyFrom.empty() ? "" : "; PROXY headers");
    io.run();
    log.Line("stopped");
    return 0;
}

}  // namespace

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
    // A log reader that goes away must not end the service.
    std::signal(SIGPIPE, SIG_IGN);
    DescriptorFit fit = FitConnectionsToDescriptors(config.maxConnections);
    if (!fit.note.empty())
        std::fprintf(stderr, "quorvalent-service: %s\n", fit.note.c_str());
    if (fit.maxConnections == 0)
        return 1;
    config.maxConnections = fit.maxConnections;
    LogWriter log(STDOUT_FILENO);
    try {
        return Serve(config, log);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quorvalent-service: %s\n", failure.what());
        return 1;
    }
}
