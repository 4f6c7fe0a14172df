#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/folders.h"
#include "net/http_downloader.h"
#include "package/delete_tree.h"
#include "package/download_state.h"
#include "package/package_job.h"
#include "package/package_trust.h"
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

std::string StatePath()
{
    char path[kFolderPathSize];
    return GetDownloadStatePath(path) ? path : "";
}

// Downloads package 1 from the server answering served (in pieces of at
// most piece bytes, 0: varied), starting with the state file given ("":
// none): the result, with the alerts in *alerts.
ErrorCode Download(PackageJob& job, const std::string& state, const std::string& served, std::string* alerts,
                   uint32_t piece = 0)
{
    UseNoProxy();
    DeleteDownloadState();
    if (!state.empty() && !WriteWholeFile(StatePath(), state))
        return kNotAnErrorCode;
    g_webPeer.Reset(reinterpret_cast<const uint8_t*>(served.data()), served.size());
    g_webPeer.largestPiece = piece;
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
    const FileBytes state = ReadWholeFile(StatePath());
    return outcome + (state.found ? "state-after | " + state.bytes + "\n" : "");
}

}  // namespace

// The cases of tests/data/download, one a file: what the case checks, what
// is given (state, free, disk, reply, report-fails) and what must come of it.
TEST(PackageDownload, BrokenServersAndUnusableStateFilesEndAsTheirCasesSay)
{
    const std::vector<std::string> names = ListNames(WindowsPath(SourceDir() + "/tests/data/download/"));
    ASSERT_GE(names.size(), 28u);
    const std::string prefs = UnixPath(StatePath()).substr(0, UnixPath(StatePath()).rfind('/'));
    const std::set<std::string> kGiven = {"state", "free", "disk", "reply", "report-fails"};
    for (const std::string& name : names) {
        std::map<std::string, std::string> given = {
            {"free", "1099511627776"}, {"report-fails", "0"}, {"disk", ""}};
        std::string expected;
        for (const std::vector<std::string>& row : DataTable("download/" + name)) {
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
    EXPECT_FALSE(ReadWholeFile(StatePath()).found) << "a state of more than the body holds is not written";
}

namespace {

// A web server's answer to a request for the file from offset on: "200 OK"
// for offset 0, otherwise "206" with the Content-Range of the rest; the body
// sized by Content-Length or, given a generator, in chunks of 1 to 9000 bytes
// whose ends go to chunkEnds.
std::string Answer(const std::string& file, size_t offset, std::mt19937* chunks,
                   std::vector<size_t>* chunkEnds)
{
    std::ostringstream answer;
    answer << (offset ? "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " : "HTTP/1.1 200 OK\r\n");
    if (offset)
        answer << offset << "-" << file.size() - 1 << "/" << file.size() << "\r\n";
    if (!chunks)
        return answer.str() + "Content-Length: " + std::to_string(file.size() - offset) + "\r\n\r\n" +
               file.substr(offset);
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
    // Compressed, so that the decoder follows the body across every cut.
    const std::string data = PatternBytes(60000, seed);
    const std::string package = Text(CompressedPackage(
        ArchiveBuilder().File("data.bin", data).File("Quorvalent.new.exe", "new", 1).End()));
    char install[kInstallPathSize];
    int installs = 0;
    for (int transfer = 0; transfer < 200; ++transfer) {
        const std::string state = ReadWholeFile(StatePath()).bytes;
        std::vector<size_t> chunkEnds;
        std::string served = Answer(package, state.size(), transfer % 2 ? &random : nullptr, &chunkEnds);
        // Nowhere, in the status line or headers, at a chunk's end give or
        // take a byte, or anywhere.
        const size_t head = served.find("\r\n\r\n") + 4;
        const size_t chunkEnd = chunkEnds.empty() ? served.size() : chunkEnds[random() % chunkEnds.size()];
        const size_t cuts[] = {served.size(), random() % head, chunkEnd + random() % 3 - 1,
                               random() % served.size()};
        served.resize(std::min(served.size(), cuts[random() % 4]));
        SCOPED_TRACE("transfer " + std::to_string(transfer) + " from " + std::to_string(state.size()));
        PackageJob job(nullptr);
        job.trust = &kNoSignatureCheck;
        std::string alerts;
        ErrorCode code = Download(job, state, served, &alerts);
        const std::string range = "\r\nRange: bytes=" + std::to_string(state.size()) + "-\r\n";
        ASSERT_EQ(g_webPeer.sent.at(0).find(range) != std::string::npos, !state.empty());
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
    EXPECT_GT(installs, 20);
}

// A compressed package cut at the places of a row, one run after another,
// each run resuming from the state file the one before left: every cut
// leaves the package's prefix up to it, and the last run installs files
// identical to the package's, reporting as a download always has. A damaged
// stream downloads, then fails at decompression with nothing written.
TEST(PackageDownload, StreamCutAnywhereResumesToIdenticalFiles)
{
    const std::string data = PatternBytes(60000, 7);
    const std::string package = Text(CompressedPackage(
        ArchiveBuilder().File("data.bin", data).File("Quorvalent.new.exe", "new", 1).End()));
    const size_t end = package.size(), total = end - 16, block = 16 + 5 + 40;
    struct Row {
        const char* what;
        uint32_t piece;
        std::vector<size_t> cuts;
        size_t damaged;
    };
    const Row rows[] = {
        {"in the header", 0, {9}, 0},
        {"in the properties", 0, {18}, 0},
        {"in the first LZMA block", 0, {block}, 0},
        {"at piece ends, fresh and resumed", 1000, {2016, 3016}, 0},
        {"one byte before the end", 0, {end - 1}, 0},
        {"again and again", 0, {18, block, 4000, end - 1}, 0},
        {"damaged", 0, {}, block},
        {"damaged after a resume", 0, {30}, block},
    };
    char install[kInstallPathSize];
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string file = package, state, alerts;
        if (row.damaged)
            file[row.damaged] ^= 0x55;
        ASSERT_TRUE(GetInstallFolder(install, sizeof install) && DeleteTree(install) == 0);
        for (size_t cut : row.cuts) {
            PackageJob job(nullptr);
            job.trust = &kNoSignatureCheck;
            std::string served = SizedAnswer(file, state.size());
            served.resize(served.size() - (end - cut));
            EXPECT_NE(Download(job, state, served, &alerts, row.piece), 0) << cut;
            state = ReadWholeFile(StatePath()).bytes;
            EXPECT_TRUE(state == file.substr(0, cut < 16 ? 0 : cut)) << cut;
        }
        ProgressRecorder sink;
        PackageJob job(&sink);
        job.trust = &kNoSignatureCheck;
        ASSERT_EQ(Download(job, state, SizedAnswer(file, state.size()), &alerts, row.piece), 0);
        EXPECT_FALSE(ReadWholeFile(StatePath()).found);
        EXPECT_EQ(job.bodyDecoder.Decoded(), !row.damaged) << "the body was not decoded as it arrived";
        EXPECT_EQ(ThrownCode([&] { job.Install(); }), row.damaged ? -3 : 0);
        // The body's last report, then Install's stages up to the failed one.
        const std::string body = std::to_string(total);
        const std::vector<std::string> stages = {body + "/" + body + " 1", "status Decompressing update...",
                                                 "0/0 1", "status Installing update...", "0/0 1"};
        const size_t shown = row.damaged ? 3 : 5;
        EXPECT_TRUE(sink.calls.size() > shown &&
                    std::equal(stages.begin(), stages.begin() + shown, sink.calls.end() - shown));
        const std::string folder = std::string(install);
        EXPECT_TRUE(row.damaged ? ListNames(folder).empty()
                                : ReadWholeFile(folder + "data.bin").bytes == data &&
                                      ReadWholeFile(folder + "Quorvalent.exe").bytes == "new");
    }
}
