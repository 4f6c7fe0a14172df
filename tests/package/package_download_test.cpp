#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/folders.h"
#include "net/http_downloader.h"
#include "package/delete_tree.h"
#include "package/download_state.h"
#include "package/package_job.h"
#include "tests/support/http_test_support.h"
#include "tests/support/memory_peer.h"
#include "tests/support/package_builder.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/test_env.h"

#include <random>
#include <stdexcept>

using namespace testing_package;

namespace {

const uint32_t kNumber = 7;
const uint64_t kPlenty = 1ULL << 40;
const size_t kNever = SIZE_MAX;
const char kDownloadAlert[] = "Download Not Completed: The download could not be completed\n";

// The web server: its answer, what the installer sent it, and where its
// connection fails with something that is no ErrorCode.
MemoryPeer server;
std::string answer, request;
size_t failAt = kNever;
uint64_t freeSpace = kPlenty;

class RecordingConnection : public MemoryConnection {
public:
    RecordingConnection() : MemoryConnection(server) {}
    void Write(const void* data, uint32_t length) override
    {
        MemoryConnection::Write(data, length);
        request.append(static_cast<const char*>(data), length);
    }
    uint32_t Read(void* buffer, uint32_t length) override
    {
        if (server.at >= failAt)
            throw std::runtime_error("not an ErrorCode");
        return MemoryConnection::Read(buffer, length);
    }
};

std::string StatePath()
{
    char path[kFolderPathSize];
    return GetDownloadStatePath(path) ? path : "";
}

// Downloads package 7 from a server that answers served, starting with the
// state file given ("": none): the result, with the alerts in *alerts.
ErrorCode Download(PackageJob& job, const std::string& state, const std::string& served, std::string* alerts)
{
    UseNoProxy();
    DeleteDownloadState();
    if (!state.empty() && !WriteWholeFile(StatePath(), state))
        return kNotAnErrorCode;
    answer = served;
    server.Reset(reinterpret_cast<const uint8_t*>(answer.data()), answer.size());
    request.clear();
    SetHttpConnectionMaker([]() -> Connection* { return new RecordingConnection; });
    SetFreeDiskSpaceQuery([](const char*) { return freeSpace; });
    StderrCapture capture;
    ErrorCode code = ThrownCode([&] { job.DownloadPackage("http://files.quorvalent.test/q.pkg", kNumber); });
    *alerts = capture.Text();
    SetHttpConnectionMaker(nullptr);
    SetFreeDiskSpaceQuery(nullptr);
    return code;
}

}  // namespace

TEST(PackageDownload, BrokenAndHostileServers)
{
    const std::string package = Text(CompressedPackage(
        ArchiveBuilder().File("data.bin", PatternBytes(200000, 3)).File("Quorvalent.new.exe", "new", 1).End(),
        kNumber));
    auto prefix = [&](size_t bodyBytes) { return package.substr(0, 16 + bodyBytes); };
    auto cut = [](const std::string& answer, size_t bodyBytes) {
        return answer.substr(0, answer.find("\r\n\r\n") + 4 + bodyBytes);
    };
    const std::string whole = SizedAnswer(package, 0), resumed = SizedAnswer(package, 1016);
    std::string otherNumber = package;
    otherNumber[3] = char(kNumber + 1);
    const std::string notFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    const std::string unsatisfiable = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\n\r\n";
    struct Case {
        const char* label;
        std::string state;
        std::string answer;  // empty: no request may be made
        ErrorCode expected;
        int64_t firstDone = -1;  // the first progress report's count of bytes held
        std::string alerts = "";
        std::string stateAfter = "";
        uint64_t available = kPlenty;
        size_t failAt = kNever;
    } cases[] = {
        {"whole file", "", whole, 0, 0},
        {"body cut", "", cut(whole, 16 + 123456), kErrorConnection, 0, "", prefix(123456)},
        {"resumed", prefix(1000), resumed, 0, 1000},
        {"resumed body cut", prefix(1000), cut(resumed, 500), kErrorConnection, 1000, "", prefix(1500)},
        {"range ignored: whole file again", prefix(0) + std::string(1000, 'g'), whole, 0, 0},
        {"more than the body", "", SizedAnswer(package + "extra", 0), 0, 0},
        {"whole body held: nothing asked", package, "", 0},
        {"5,242,880 bytes free", "", whole, 0, 0, "", "", 5242880},
        {"5,242,879 bytes free", "", "", kErrorConnection, -1,
         std::string("Out of Disk Space: Not enough free disk space. Delete some files, then try again\n") +
             kDownloadAlert,
         "", 5242879},
        {"package number differs", "", SizedAnswer(otherNumber, 0), kErrorMalformed, -1, kDownloadAlert},
        {"range from another offset", prefix(1000), SizedAnswer(package, 16), kErrorMalformed},
        {"file of another length", prefix(1000), SizedAnswer(package + "x", 1016), kErrorMalformed},
        {"range not satisfiable", prefix(1000), unsatisfiable, kErrorMalformed},
        {"cut in the header", "", cut(whole, 10), kErrorMalformed, -1, kDownloadAlert},
        {"not found", "", notFound, kErrorMalformed, -1, kDownloadAlert},
        {"no ErrorCode before the header", "", whole, kErrorConnection, -1, kDownloadAlert, "", kPlenty, 0},
        {"no ErrorCode after the header", "", whole, kErrorMalformed, 0, "", "", kPlenty, 5000},
    };
    const std::string total = std::to_string(package.size() - 16);
    for (const Case& c : cases) {
        freeSpace = c.available;
        failAt = c.failAt;
        ProgressRecorder sink;
        PackageJob job(&sink);
        std::string alerts;
        EXPECT_EQ(Download(job, c.state, c.answer, &alerts), c.expected) << c.label;
        EXPECT_EQ(alerts, c.alerts) << c.label;
        EXPECT_TRUE(ReadWholeFile(StatePath()).bytes == c.stateAfter) << c.label;
        EXPECT_EQ(server.connects, c.answer.empty() ? 0u : 1u) << c.label;
        const std::string range = "\r\nRange: bytes=" + std::to_string(c.state.size()) + "-\r\n";
        EXPECT_EQ(request.find(c.state.empty() ? "\r\nRange:" : range) != std::string::npos,
                  !c.state.empty() && !c.answer.empty())
            << c.label << ": " << request;
        if (c.firstDone >= 0) {
            ASSERT_GE(sink.calls.size(), 2u) << c.label;
            EXPECT_EQ(sink.calls[0], "status Downloading new update...") << c.label;
            EXPECT_EQ(sink.calls[1], std::to_string(c.firstDone) + "/" + total + " 0") << c.label;
        }
        if (c.expected == 0) {
            EXPECT_TRUE(std::string(reinterpret_cast<char*>(job.body), package.size() - 16) ==
                        package.substr(16))
                << c.label;
            EXPECT_EQ(sink.calls.back(), total + "/" + total + " 1") << c.label;
        }
    }
    failAt = kNever;
}

// Transfers cut at seeded random places, one after another as runs of the
// installer would make them: every transfer either installs files identical
// to the package's or fails leaving a state file that is an exact prefix of
// the package, whose rest the next transfer asks for. QV_CAMPAIGN_SEED
// chooses another seed ("random": any).
TEST(PackageDownload, CutTransfersInstallIdenticalFilesOrLeaveAResumableState)
{
    const std::string given = Environment("QV_CAMPAIGN_SEED");
    const uint32_t seed = given.empty() ? 1 : given == "random" ? std::random_device()() : std::stoul(given);
    std::printf("campaign seed %u (QV_CAMPAIGN_SEED=%u repeats this run)\n", seed, seed);
    std::mt19937 random(seed);
    // Stored, so that no decoder would notice a wrong byte in the body.
    const std::string data = PatternBytes(60000, seed);
    const std::string package = Text(StoredPackage(
        ArchiveBuilder().File("data.bin", data).File("Quorvalent.new.exe", "new", 1).End(), kNumber));
    char install[kInstallPathSize];
    int installs = 0;
    for (int transfer = 0; transfer < 200; ++transfer) {
        const std::string state = ReadWholeFile(StatePath()).bytes;
        std::vector<size_t> chunkEnds;
        std::string served = transfer % 2 ? ChunkedAnswer(package, state.size(), random(), &chunkEnds)
                                          : SizedAnswer(package, state.size());
        // Nowhere, in the status line or headers, at a chunk's end give or
        // take a byte, or anywhere.
        const size_t head = served.find("\r\n\r\n") + 4;
        const size_t chunkEnd = chunkEnds.empty() ? served.size() : chunkEnds[random() % chunkEnds.size()];
        const size_t cuts[] = {served.size(), random() % head, chunkEnd + random() % 3 - 1,
                               random() % served.size()};
        served.resize(std::min(served.size(), cuts[random() % 4]));
        SCOPED_TRACE("transfer " + std::to_string(transfer) + " from " + std::to_string(state.size()));
        PackageJob job(nullptr);
        std::string alerts;
        ErrorCode code = Download(job, state, served, &alerts);
        const std::string range = "\r\nRange: bytes=" + std::to_string(state.size()) + "-\r\n";
        ASSERT_EQ(request.find(range) != std::string::npos, !state.empty());
        const std::string after = ReadWholeFile(StatePath()).bytes;
        ASSERT_TRUE(after == package.substr(0, after.size())) << "the state file is not a prefix";
        if (code != 0) {
            ASSERT_GE(after.size(), state.size()) << "the state file lost bytes of a continued body";
            continue;
        }
        ASSERT_TRUE(after.empty() && GetInstallFolder(install, sizeof install) && DeleteTree(install) == 0);
        ASSERT_EQ(ThrownCode([&] { job.Install(); }), 0);
        ASSERT_TRUE(ReadWholeFile(std::string(install) + "data.bin").bytes == data);
        ++installs;
    }
    std::printf("200 transfers, %d installs\n", installs);
    EXPECT_GT(installs, 20);
}
