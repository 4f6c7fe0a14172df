#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/folders.h"
#include "net/http_downloader.h"
#include "package/delete_tree.h"
#include "package/download_state.h"
#include "package/package_job.h"
#include "package/package_trust.h"
#include "tests/support/data_rows.h"
#include "tests/support/http_test_support.h"
#include "tests/support/memory_peer.h"
#include "tests/support/package_builder.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/test_env.h"

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>

using namespace testing_package;

namespace {

uint64_t freeSpace = 1ULL << 40;

// Downloads package 1 from the server answering served, starting with the
// state file given ("": none): the result, with the alerts in *alerts.
ErrorCode Download(PackageJob& job, const std::string& state, const std::string& served, std::string* alerts)
{
    UseNoProxy();
    DeleteDownloadState();
    if (!state.empty() && !WriteWholeFile(DownloadStatePath(), state))
        return kNotAnErrorCode;
    g_webPeer.Reset(reinterpret_cast<const uint8_t*>(served.data()), served.size());
    SetHttpConnectionMaker(MakeWebConnection);
    SetFreeDiskSpaceQuery([](const char*) { return freeSpace; });
    StderrCapture capture;
    ErrorCode code = ThrownCode([&] { job.DownloadPackage("http://files.quorvalent.test/q.pkg", 1); });
    *alerts = capture.Text();
    return code;
}

// What a download did, as the rows of a case's expected part.
std::string Outcome(ErrorCode code, const std::string& alerts, const ProgressRecorder& sink, PackageJob& job)
{
    std::string outcome, line;
    std::vector<std::string> progress;
    for (const std::string& sent : g_webPeer.sent) outcome += "request | " + sent + "\n";
    outcome += "result | " + std::to_string(code) + "\n";
    for (std::istringstream lines(alerts); std::getline(lines, line);) outcome += "alert | " + line + "\n";
    for (const std::string& call : sink.calls) {
        if (call.compare(0, 7, "status ") == 0)
            outcome += "status | " + call.substr(7) + "\n";
        else
            progress.push_back(call);
    }
    if (!progress.empty())
        outcome += "progress | " + progress[0] + (progress.size() > 1 ? " .. " + progress.back() : "") + "\n";
    if (code == 0)
        outcome += "install | " + std::to_string(ThrownCode([&] { job.Install(); })) + "\n";
    const FileBytes state = ReadWholeFile(DownloadStatePath());
    return outcome + (state.found ? "state-after | " + state.bytes + "\n" : "");
}

}  // namespace

// The cases of tests/data/download, one a file: what the case checks, what
// is given (state, free, disk, reply, report-fails) and what must come of it.
TEST(PackageDownload, BrokenServersAndUnusableStateFilesEndAsTheirCasesSay)
{
    const std::vector<std::string> names = ListNames(WindowsPath(SourceDir() + "/tests/data/download/"));
    ASSERT_GE(names.size(), 28u);
    const std::string prefs =
        UnixPath(DownloadStatePath()).substr(0, UnixPath(DownloadStatePath()).rfind('/'));
    const std::set<std::string> kGiven = {"state", "free", "disk", "reply", "report-fails"};
    for (const std::string& name : names) {
        std::map<std::string, std::string> given = {
            {"free", "1099511627776"}, {"report-fails", "0"}, {"disk", ""}};
        std::string expected;
        for (const DataRow& row : ReadDataRows("download/" + name)) {
            if (kGiven.count(row[0]))
                given[row[0]] = row.at(1);
            else
                expected += row[0] + " | " + DataBytes(row.at(1)) + "\n";
        }
        freeSpace = std::stoull(given["free"]);
        ProgressRecorder sink;
        sink.failAt = std::stoul(given["report-fails"]);
        PackageJob job(&sink);
        job.trust = &kNoSignatureCheck;  // the cases' packages are unsigned (package_signature_test.cpp)
        std::string alerts;
        const std::string mount =
            "mount -t tmpfs -o size=" + given["disk"] + " qv-small " + ShellQuoted(prefs);
        ASSERT_TRUE(given["disk"].empty() || RunHost(mount).exitCode == 0) << mount;
        const ErrorCode code = Download(job, DataBytes(given["state"]), DataBytes(given["reply"]), &alerts);
        EXPECT_EQ(Outcome(code, alerts, sink, job), expected) << name;
        if (!given["disk"].empty())
            RunHost("umount " + ShellQuoted(prefs));
    }
    PackageJob job(nullptr);
    job.ReserveBody(10);
    DeleteDownloadState();
    WriteDownloadState(job, 11);
    EXPECT_FALSE(ReadWholeFile(DownloadStatePath()).found)
        << "a state of more than the body holds is not written";
}

namespace {

// SizedAnswer, or given a generator the same answer with its body in chunks
// of 1 to 9000 bytes whose ends go to chunkEnds.
std::string Answer(const std::string& file, size_t offset, std::mt19937* chunks,
                   std::vector<size_t>* chunkEnds)
{
    const std::string sized = SizedAnswer(file, offset);
    if (!chunks)
        return sized;
    std::ostringstream answer;
    answer << sized.substr(0, sized.find("Content-Length: "));
    answer << "Transfer-Encoding: chunked\r\n\r\n" << std::hex;
    for (size_t at = offset, length; at < file.size(); at += length) {
        length = std::min<size_t>(file.size() - at, 1 + (*chunks)() % 9000);
        answer << length << "\r\n" << file.substr(at, length);
        chunkEnds->push_back(answer.tellp());
        answer << "\r\n";
    }
    return answer.str() + "0\r\n\r\n";
}

}  // namespace

// Transfers cut one after another as runs of the installer would make them,
// first at named places (in the header, in the LZMA properties, in the first
// LZMA block, one byte before the end), then at seeded random ones: every
// transfer either installs files identical to the package's, decoded as the
// body arrived and reporting Install's stages after the body's last report,
// or fails leaving a state file that is an exact prefix of the package, whose
// rest the next transfer asks for. QV_CAMPAIGN_SEED chooses another seed
// ("random": any).
TEST(PackageDownload, CutTransfersInstallIdenticalFilesOrLeaveAResumableState)
{
    const std::string given = Environment("QV_CAMPAIGN_SEED");
    const uint32_t seed = given.empty() ? 1 : given == "random" ? std::random_device()() : std::stoul(given);
    std::printf("campaign seed %u (QV_CAMPAIGN_SEED=%u repeats this run)\n", seed, seed);
    std::mt19937 random(seed);
    // Compressed, so that the decoder follows the body across every cut.
    const std::string data = PatternBytes(60000, seed);
    const std::string package = Text(CompressedPackage(
        ArchiveBuilder().File("data.bin", data).File("Quorvalent.new.exe", "new", 1).End()));
    char install[kInstallPathSize];
    int installs = 0;
    for (int transfer = 0; transfer < 200; ++transfer) {
        const std::string state = ReadWholeFile(DownloadStatePath()).bytes;
        std::vector<size_t> chunkEnds;
        std::string served =
            Answer(package, state.size(), transfer > 4 && transfer % 2 ? &random : nullptr, &chunkEnds);
        // Nowhere, in the status line or headers, at a chunk's end give or
        // take a byte, or anywhere.
        const size_t head = served.find("\r\n\r\n") + 4;
        const size_t chunkEnd = chunkEnds.empty() ? served.size() : chunkEnds[random() % chunkEnds.size()];
        const size_t cuts[] = {served.size(), random() % head, chunkEnd + random() % 3 - 1,
                               random() % served.size()};
        const size_t named[] = {9, 18, 16 + 5 + 40, package.size() - 1, package.size()};
        served.resize(transfer < 5 ? served.size() - (package.size() - named[transfer])
                                   : std::min(served.size(), cuts[random() % 4]));
        SCOPED_TRACE("transfer " + std::to_string(transfer) + " from " + std::to_string(state.size()));
        ProgressRecorder sink;
        PackageJob job(&sink);
        job.trust = &kNoSignatureCheck;
        std::string alerts;
        ErrorCode code = Download(job, state, served, &alerts);
        const std::string range = "\r\nRange: bytes=" + std::to_string(state.size()) + "-\r\n";
        ASSERT_EQ(g_webPeer.sent.at(0).find(range) != std::string::npos, !state.empty());
        const std::string after = ReadWholeFile(DownloadStatePath()).bytes;
        ASSERT_TRUE(after == package.substr(0, after.size())) << "the state file is not a prefix";
        if (code != 0) {
            ASSERT_GE(after.size(), state.size()) << "the state file lost bytes of a continued body";
            continue;
        }
        ASSERT_TRUE(after.empty() && GetInstallFolder(install, sizeof install) && DeleteTree(install) == 0);
        EXPECT_TRUE(job.bodyDecoder.Decoded()) << "the body was not decoded as it arrived";
        ASSERT_EQ(ThrownCode([&] { job.Install(); }), 0);
        ASSERT_TRUE(ReadWholeFile(std::string(install) + "data.bin").bytes == data);
        const std::string body =
            std::to_string(package.size() - 16) + "/" + std::to_string(package.size() - 16);
        const std::vector<std::string> stages = {body + " 1", "status Decompressing update...", "0/0 1",
                                                 "status Installing update...", "0/0 1"};
        EXPECT_TRUE(sink.calls.size() > 5 && std::equal(stages.begin(), stages.end(), sink.calls.end() - 5));
        ++installs;
    }
    EXPECT_GT(installs, 20);
}
