#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/folders.h"
#include "package/download_state.h"
#include "package/package_job.h"
#include "tests/package/package_helpers.h"
#include "tests/support/http_test_support.h"
#include "tests/support/linux_peer.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_env.h"

#include <string>
#include <vector>

using namespace testing_package;

namespace {

const char kUrl[] = "http://files.quorvalent.test/files/q.pkg";
const char kAddress[] = "127.0.0.10";
const uint32_t kNumber = 7;
const char kDownloadAlert[] = "Download Not Completed: The download could not be completed\n";

uint64_t freeSpace = 0;
uint64_t SteeredFreeSpace(const char*)
{
    return freeSpace;
}

std::string Ok(const std::string& content, size_t length)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n" + content;
}

std::string Partial(size_t first, const std::string& content, size_t fileSize)
{
    return "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(first) + "-" +
           std::to_string(first + content.size() - 1) + "/" + std::to_string(fileSize) +
           "\r\nContent-Length: " + std::to_string(content.size()) + "\r\n\r\n" + content;
}

class PackageDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseNoProxy();
        freeSpace = 1ULL << 40;
        SetFreeDiskSpaceQuery(SteeredFreeSpace);
        std::vector<uint8_t> archive =
            ArchiveBuilder().File("data.bin", PatternBytes(200000, 3)).File("Quorvalent.new.exe", "new", 1).End();
        std::vector<uint8_t> bytes = CompressedPackage(archive, kNumber);
        package.assign(bytes.begin(), bytes.end());
        char path[kFolderPathSize];
        GetDownloadStatePath(path);
        statePath = path;
        DeleteDownloadState();
    }
    void TearDown() override { SetFreeDiskSpaceQuery(nullptr); }

    // Runs a download with the given state file ("" for none): its result,
    // and what it printed as alerts.
    ErrorCode Download(PackageJob& job, const std::string& state, std::string* alerts = nullptr)
    {
        DeleteDownloadState();
        if (!state.empty())
            WriteFileText(statePath, state);
        StderrCapture capture;
        ErrorCode result = 0;
        try {
            job.DownloadPackage(kUrl, kNumber);
        } catch (ErrorCode code) {
            result = code;
        }
        if (alerts)
            *alerts = capture.Text();
        return result;
    }
    std::string Body(const PackageJob& job) const
    {
        return std::string(reinterpret_cast<const char*>(job.body), job.compressedSize + job.trailingSize);
    }
    std::string Prefix(size_t bodyBytes) const { return package.substr(0, 16 + bodyBytes); }
    std::string Total() const { return std::to_string(package.size() - 16); }

    WinsockSession winsock;
    std::string package;
    std::string statePath;
};

}  // namespace

TEST_F(PackageDownloadTest, InterruptedBodyIsStoredAndResumedByteForByte)
{
    const size_t cut = 123456;
    {
        ScriptedPeer server(kAddress, 80, {{ReceiveHeaders(), Send(Ok(Prefix(cut), package.size()))}});
        ProgressRecorder sink;
        PackageJob job(&sink);
        std::string alerts;
        EXPECT_EQ(Download(job, "", &alerts), kErrorConnection);
        EXPECT_EQ(alerts, "") << "a header was known";
        EXPECT_TRUE(ReadFileText(statePath) == Prefix(cut)) << "the state file is the package's prefix";
        ASSERT_GE(sink.calls.size(), 3u);
        EXPECT_EQ(sink.calls[0], "status Downloading new update... 1");
        EXPECT_EQ(sink.calls[1], "0/" + Total() + " 0");
        for (size_t i = 2; i < sink.calls.size(); ++i)
            EXPECT_EQ(sink.calls[i].substr(sink.calls[i].size() - 2), " 1") << i;
    }
    LinuxPeer nginx("nginx", kAddress, 80);
    ASSERT_TRUE(nginx.Ready());
    ASSERT_TRUE(WriteUnixFile(nginx.Folder() + "/www/files/q.pkg", package));
    ProgressRecorder sink;
    PackageJob job(&sink);
    ErrorCode result = 0;
    try {
        job.DownloadPackage(kUrl, kNumber);
        job.Install();
    } catch (ErrorCode code) {
        result = code;
    }
    ASSERT_EQ(result, 0);
    EXPECT_TRUE(Body(job) == package.substr(16));
    EXPECT_EQ(sink.calls[1], std::to_string(cut) + "/" + Total() + " 0");
    EXPECT_FALSE(Exists(statePath));
    char folder[kInstallPathSize];
    GetInstallFolder(folder, sizeof folder);
    EXPECT_EQ(ReadFileText(std::string(folder) + "Quorvalent.exe"), "new");
}

TEST_F(PackageDownloadTest, BrokenAndHostileServers)
{
    const std::string body = package.substr(16);
    std::string otherNumber = package;
    otherNumber[3] = char(kNumber + 1);
    std::string garbage = Prefix(0) + std::string(1000, 'g');
    const std::string missing = "(missing)";
    std::string resumedThenCut = Partial(1016, package.substr(1016), package.size());
    resumedThenCut.resize(resumedThenCut.size() - (package.size() - 1516));
    struct Case {
        const char* label;
        std::string state;
        std::vector<PeerScript> scripts;
        ErrorCode expected;
        bool alert;
        std::string stateAfter;
    } cases[] = {
        {"package number differs", "", {{ReceiveHeaders(), Send(Ok(otherNumber, package.size()))}},
         kErrorMalformed, true, missing},
        {"range ignored: whole file again", garbage, {{ReceiveHeaders(), Send(Ok(package, package.size()))}}, 0,
         false, missing},
        {"more than the body", "", {{ReceiveHeaders(), Send(Ok(package + "extra", package.size() + 5)), WaitForClose()}},
         0, false, missing},
        {"range from another offset", Prefix(1000), {{ReceiveHeaders(), Send(Partial(16, body, package.size()))}},
         kErrorMalformed, false, missing},
        {"file of another length", Prefix(1000),
         {{ReceiveHeaders(), Send(Partial(1016, package.substr(1016), package.size() + 1))}}, kErrorMalformed, false,
         missing},
        {"range not satisfiable", Prefix(1000),
         {{ReceiveHeaders(), Send("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\n\r\n")}},
         kErrorMalformed, false, missing},
        {"resumed body cut", Prefix(1000),
         {{ReceiveHeaders(), Send(resumedThenCut)}},
         kErrorConnection, false, Prefix(1500)},
        {"cut in the header", "", {{ReceiveHeaders(), Send(Ok(package.substr(0, 10), package.size()))}},
         kErrorMalformed, true, missing},
        {"not found", "", {{ReceiveHeaders(), Send("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")}},
         kErrorMalformed, true, missing},
        {"whole body held: nothing asked", package, {}, 0, false, missing},
    };
    for (const Case& c : cases) {
        ScriptedPeer server(kAddress, 80, c.scripts);
        PackageJob job(nullptr);
        std::string alerts;
        EXPECT_EQ(Download(job, c.state, &alerts), c.expected) << c.label;
        EXPECT_EQ(alerts, c.alert ? kDownloadAlert : "") << c.label;
        EXPECT_TRUE(ReadFileText(statePath) == c.stateAfter) << c.label;
        if (c.expected == 0) {
            EXPECT_TRUE(Body(job) == body) << c.label;
        }
        server.Finish();
        EXPECT_EQ(server.Accepted(), c.scripts.size()) << c.label;
        if (!c.scripts.empty() && c.state.size() > 16) {
            EXPECT_NE(server.Received(0).find("\r\nRange: bytes=" + std::to_string(c.state.size()) + "-\r\n"),
                      std::string::npos)
                << c.label;
        }
    }
}

TEST_F(PackageDownloadTest, FreeSpaceIsCheckedBeforeAnythingIsAsked)
{
    struct Case {
        uint64_t available;
        ErrorCode expected;
        std::string alerts;
        size_t accepted;
    } cases[] = {
        {5242879, kErrorConnection,
         std::string("Out of Disk Space: Not enough free disk space. Delete some files, then try again\n") +
             kDownloadAlert,
         0},
        {5242880, 0, "", 1},
    };
    for (const Case& c : cases) {
        ScriptedPeer server(kAddress, 80, {{ReceiveHeaders(), Send(Ok(package, package.size()))}});
        freeSpace = c.available;
        PackageJob job(nullptr);
        std::string alerts;
        EXPECT_EQ(Download(job, "", &alerts), c.expected) << c.available;
        EXPECT_EQ(alerts, c.alerts) << c.available;
        server.Finish(c.accepted ? 10000 : 200);
        EXPECT_EQ(server.Accepted(), c.accepted) << c.available;
    }
}

TEST_F(PackageDownloadTest, FailureThatIsNoErrorCodeNeverEndsAsSuccess)
{
    struct Case {
        const char* label;
        bool beforeHeader;
        ErrorCode expected;
        const char* alerts;
    } cases[] = {
        {"before the header", true, kErrorConnection, kDownloadAlert},
        {"after the header", false, kErrorMalformed, ""},
    };
    for (const Case& c : cases) {
        ScriptedPeer server(kAddress, 80,
                            {{ReceiveHeaders(), Send(Ok(Prefix(1000), package.size())),
                              Trickle(package.substr(1016, 2), 50), Send(package.substr(1018)), WaitForClose()}});
        ProgressRecorder sink;
        sink.throwOnStatus = c.beforeHeader;
        sink.throwOnLaterProgress = !c.beforeHeader;
        PackageJob job(&sink);
        std::string alerts;
        EXPECT_EQ(Download(job, "", &alerts), c.expected) << c.label;
        EXPECT_EQ(alerts, c.alerts) << c.label;
    }
}
