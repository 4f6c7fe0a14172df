// The update service exchange: request, redirects, challenge and answer, the
// final answer, then the download and install of the package it names. The
// application object's RunUpdateExchange (app/update_worker.cpp) runs one on
// the update worker and keeps its outcome.
#pragma once

#include <cstdint>

class Connection;
class ProgressSink;
namespace service_message {
struct Message;
}

// How the update worker ended (InstallerApp::m_nOutcome).
enum UpdateOutcome {
    OutcomeNone = 0,      // before the worker starts; never left at its end
    OutcomeNoSocket = 1,  // no connection object could be made
    OutcomeServiceUnavailable = 2,
    OutcomeManualUpdate = 3,
    OutcomeUpdatesUnavailable = 4,  // NoUpdate, or a PackageLocation without a URL
    OutcomeFailed = 5,              // connection, protocol, download or install failure
    OutcomeInstalled = 6,
};

// A service that answers with more redirects than this, one after another,
// is in a loop (or hostile): the exchange then fails.
const uint32_t kMaxRedirects = 10;

// Makes the connection to each service contacted. Tests install one that
// answers from memory; null (the default) makes TcpConnections.
typedef Connection* (*ServiceConnectionMaker)();
void SetServiceConnectionMaker(ServiceConnectionMaker maker);

// Reads one service message from the connection into message, type and
// length in host order. A length above 1024 throws -3 before any body byte is
// read. The whole message, header and body, must arrive within 30 000 ms on
// NetClock, else -255, so that a service that accepts and then stays silent,
// or trickles, cannot hold the worker. The connection's errors pass through.
void ReadServiceMessage(Connection& connection, service_message::Message* message);

// One run of the exchange on the update worker thread.
class UpdateExchange {
public:
    // Reports "Connected..." and the download to sink (not owned). While a
    // service connection is open, *connectionSlot names it (the application
    // object's m_pConnection); it is null again when Run returns.
    UpdateExchange(ProgressSink* sink, Connection** connectionSlot);
    ~UpdateExchange();

    // Runs the exchange, download and install; never throws. Afterwards
    // Outcome() is never OutcomeNone.
    void Run();

    int32_t Outcome() const { return outcome; }
    // The installed package's archive size, after OutcomeInstalled.
    uint32_t InstalledSize() const { return installedSize; }

private:
    // Request, redirects and challenge up to the final answer. False when no
    // connection object could be made (the outcome says so); true with the
    // package's URL and number; a refusal sets its outcome and throws -2.
    bool ExchangeForPackage(char (&url)[256], uint32_t* packageNumber);
    // The answer to UpdateRequest that is not a redirect, on to the final one.
    void AnswerChallenge(service_message::Message& message, uint32_t nonce, char (&url)[256],
                         uint32_t* packageNumber);
    // Closes and destroys the current connection, if any.
    void DropConnection();

    ProgressSink* sink;
    Connection** connectionSlot;
    Connection* connection;
    int32_t outcome;
    uint32_t installedSize;
};
