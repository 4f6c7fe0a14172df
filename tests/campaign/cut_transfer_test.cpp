#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/folders.h"
#include "package/delete_tree.h"
#include "package/download_state.h"
#include "package/package_job.h"
#include "tests/campaign/http_answer.h"
#include "tests/package/package_helpers.h"
#include "tests/support/http_test_support.h"
#include "tests/support/linux_peer.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_env.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace testing_package;

namespace {

const char kUrl[] = "http://files.quorvalent.test/q.pkg";
const char kFilesAddress[] = "127.0.0.10";
// nginx behind the relay, on an address that no name leads to.
const char kNginxAddress[] = "127.0.0.12";
const uint32_t kNumber = 11;
const int kTransfers = 200;

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// The server's whole answer to a request from offset on (0: no Range), sized
// or chunked; chunkEnds receives the answer's offsets where a chunk's data
// ends, the places where a cut is most likely to be mishandled.
std::string Answer(const std::string& package, size_t offset, bool chunked, std::mt19937& random,
                   std::vector<size_t>& chunkEnds)
{
    if (!chunked)
        return SizedAnswer(package, offset);
    std::string rest = package.substr(offset);
    std::string answer = AnswerHead(package, offset) + "Transfer-Encoding: chunked\r\n\r\n";
    for (size_t at = 0; at < rest.size();) {
        size_t length = std::min<size_t>(rest.size() - at, 1 + random() % 9000);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", length);
        answer += size + rest.substr(at, length);
        chunkEnds.push_back(answer.size());
        answer += "\r\n";
        at += length;
    }
    return answer + "0\r\n\r\n";
}

// Where the answer is cut: nowhere (a quarter of the transfers), inside
// the status line and headers, at a chunk's end give or take a byte, or
// anywhere.
size_t ChooseCut(size_t length, size_t headLength, const std::vector<size_t>& chunkEnds, std::mt19937& random)
{
    switch (random() % 4) {
    case 0:
        return length;
    case 1:
        return random() % headLength;
    case 2:
        if (!chunkEnds.empty())
            return chunkEnds[random() % chunkEnds.size()] + random() % 3 - 1;
        [[fallthrough]];
    default:
        return random() % length;
    }
}

}  // namespace

// Transfers cut at seeded random offsets, one after another as runs of the
// installer would make them: every transfer either installs files identical
// to the package's or fails leaving a state file that is an exact prefix of
// the package, which the next transfer continues. None may succeed with
// other bytes. QV_CAMPAIGN_SEED repeats a run.
TEST(CutTransferCampaign, EveryTransferInstallsIdenticalFilesOrLeavesAResumableState)
{
    const char* given = std::getenv("QV_CAMPAIGN_SEED");
    uint32_t seed = given ? uint32_t(std::strtoul(given, nullptr, 10)) : std::random_device()();
    std::printf("campaign seed %u (QV_CAMPAIGN_SEED=%u repeats this run)\n", seed, seed);
    std::mt19937 random(seed);

    WinsockSession winsock;
    UseNoProxy();
    // Stored, so that a wrong byte in the body would reach the files
    // unnoticed by any decoder.
    const std::string data = PatternBytes(60000, seed);
    const std::string package =
        Text(StoredPackage(ArchiveBuilder().File("data.bin", data).File("Quorvalent.new.exe", "new", 1).End(), kNumber));
    LinuxPeer nginx("nginx", kNginxAddress, 80);
    ASSERT_TRUE(nginx.Ready());
    ASSERT_TRUE(WriteUnixFile(nginx.Folder() + "/www/q.pkg", package));
    char folder[kInstallPathSize];
    ASSERT_TRUE(GetInstallFolder(folder, sizeof folder));
    char statePath[kFolderPathSize];
    ASSERT_TRUE(GetDownloadStatePath(statePath));
    DeleteDownloadState();

    int installs = 0;
    for (int transfer = 0; transfer < kTransfers; ++transfer) {
        std::string state = Exists(statePath) ? ReadFileText(statePath) : "";
        size_t offset = state.size();
        std::vector<size_t> chunkEnds;
        std::vector<PeerScript> scripts;
        int kind = transfer % 3;
        std::string answer;
        if (kind == 0) {
            // nginx's own answer, sized by Content-Length, cut by the relay.
            answer = Answer(package, offset, false, random, chunkEnds);
            size_t cut = ChooseCut(answer.size(), answer.find("\r\n\r\n") + 4, chunkEnds, random);
            scripts.push_back({Relay(kNginxAddress, 80, uint32_t(cut))});
        } else {
            answer = Answer(package, offset, kind == 2, random, chunkEnds);
            size_t cut = ChooseCut(answer.size(), answer.find("\r\n\r\n") + 4, chunkEnds, random);
            scripts.push_back({ReceiveHeaders(), Send(answer.substr(0, cut))});
        }
        ScriptedPeer server(kFilesAddress, 80, scripts);
        ASSERT_TRUE(server.Listening());
        PackageJob job(nullptr);
        StderrCapture alerts;
        ErrorCode result = 0;
        try {
            job.DownloadPackage(kUrl, kNumber);
            job.Install();
        } catch (ErrorCode code) {
            result = code;
        }
        server.Finish();
        std::string label = "transfer " + std::to_string(transfer) + " from offset " + std::to_string(offset);
        if (result == 0) {
            ++installs;
            ASSERT_TRUE(ReadFileText(std::string(folder) + "data.bin") == data) << label;
            ASSERT_EQ(ReadFileText(std::string(folder) + "Quorvalent.exe"), "new") << label;
            ASSERT_FALSE(Exists(statePath)) << label;
            DeleteTree(folder);
            CreateDirectoryA(folder, nullptr);
            continue;
        }
        std::string after = Exists(statePath) ? ReadFileText(statePath) : "";
        ASSERT_TRUE(after == package.substr(0, after.size())) << label << ": the state file is not a prefix";
        ASSERT_GE(after.size(), offset) << label << ": the state file lost bytes of a continued body";
        ASSERT_FALSE(Exists(std::string(folder) + "Quorvalent.exe")) << label << ": installed after a failure";
    }
    std::printf("%d transfers, %d installs\n", kTransfers, installs);
    EXPECT_GT(installs, kTransfers / 10);
}
