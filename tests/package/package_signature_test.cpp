// Signed packages: what the installer installs from a download and from
// memory, and what it refuses, with keys of the tests' own.
#include "tests/support/gtest.h"

#include "base/error_code.h"
#include "base/folders.h"
#include "net/http_downloader.h"
#include "package/delete_tree.h"
#include "package/download_state.h"
#include "package/package_job.h"
#include "tests/support/memory_peer.h"
#include "tests/support/package_builder.h"
#include "tests/support/proxy_choice.h"
#include "tests/support/test_env.h"
#include "tools/pack/package_signer.h"

using namespace testing_package;

namespace {

const uint32_t kNumber = 9;
const char kRefusedAlert[] =
    "Update Not Verified: The update could not be verified as a genuine, current Quorvalent release, so it "
    "was not installed. Please try again later.\n";
const uint8_t kReleaseSeed[32] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                                  17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
const uint8_t kNextReleaseSeed[32] = {7};

TrustedKey KeyOf(const uint8_t* seed)
{
    TrustedKey key;
    PublicKeyOfSeed(seed, key.publicKey);
    return key;
}

std::string Signed(std::vector<uint8_t> package, const uint8_t* seed)
{
    std::string error;
    return SignPackage(&package, seed, &error) ? Text(package) : "";
}

std::string Unsigned(std::string package)
{
    package.resize(package.size() - kSignatureBlockSize);
    package[15] = char(package[15] - kSignatureBlockSize);
    return package;
}

std::string Flipped(std::string bytes, size_t at, uint8_t bit)
{
    bytes[at] = char(bytes[at] ^ bit);
    return bytes;
}

// Downloads package kNumber from a server that answers with the package
// from the state's end on (the whole file without a state), then installs it
// when the download succeeded: "installed", or "refused" when it failed as
// not verified with nothing installed; then whether a download state is left.
std::string DownloadAndInstall(const PackageTrust& trust, const std::string& package,
                               const std::string& state)
{
    char install[kInstallPathSize];
    if (!GetInstallFolder(install, sizeof install) || DeleteTree(install) != 0)
        return "no empty folder";
    DeleteDownloadState();
    if (!state.empty())
        WriteWholeFile(DownloadStatePath(), state);
    g_webPeer.Script({SizedAnswer(package, state.size())});
    UseNoProxy();
    SetHttpConnectionMaker(MakeWebConnection);
    PackageJob job(nullptr);
    job.trust = &trust;
    StderrCapture capture;
    ErrorCode code = ThrownCode([&] {
        job.DownloadPackage("http://files.quorvalent.test/q.pkg", kNumber);
        job.Install();
    });
    SetHttpConnectionMaker(nullptr);
    const std::string alerts = capture.Text();
    const bool installed = FileExists((std::string(install) + "Quorvalent.exe").c_str());
    return (code == 0 && alerts.empty() && installed ? "installed"
            : code == kErrorMalformed && alerts == kRefusedAlert && !installed
                ? "refused"
                : "failed " + std::to_string(code) + ", " + alerts) +
           (FileExists(DownloadStatePath().c_str()) ? ", state left" : "");
}

// LoadPackage as the embedded package takes it: "loaded", or "refused" when
// nothing was copied out of the package.
std::string Load(const PackageTrust& trust, const std::string& package)
{
    PackageJob job(nullptr);
    job.trust = &trust;
    ErrorCode code = ThrownCode([&] {
        job.LoadPackage(reinterpret_cast<const uint8_t*>(package.data()), uint32_t(package.size()), kNumber);
    });
    const bool copied = job.bodyCapacity != 0 || job.archiveCapacity != 0;
    return code == 0 && copied ? "loaded"
           : code == kErrorMalformed && !copied
               ? "refused"
               : "failed " + std::to_string(code) + (copied ? ", copied" : "");
}

}  // namespace

TEST(PackageSignature, InstallsWhatATrustedKeySignedAndRefusesEverythingElse)
{
    const TrustedKey release = KeyOf(kReleaseSeed), next = KeyOf(kNextReleaseSeed);
    const TrustedKey both[] = {release, next};
    const PackageTrust releaseOnly = {true, &release, 1, 0}, rotating = {true, both, 2, 0},
                       newerOnly = {true, &release, 1, kNumber + 1};
    const std::vector<uint8_t> archive =
        ArchiveBuilder().File("data.bin", std::string(5000, 'd')).File("Quorvalent.new.exe", "new", 1).End();
    // Trailing bytes of its own before the block.
    const std::string good = Signed(StoredPackage(archive, kNumber, 0, 10), kReleaseSeed);
    const std::string compressed = Signed(CompressedPackage(archive, kNumber), kReleaseSeed);
    const std::string byNext = Signed(StoredPackage(archive, kNumber, 0, 10), kNextReleaseSeed);
    const size_t block = good.size() - kSignatureBlockSize;
    std::string tooShort = Unsigned(good);
    tooShort.replace(tooShort.size() - 10, 10, good.substr(block, 10));
    struct Case {
        const char* label;
        std::string package;
        const PackageTrust& trust;
        bool installs;
        std::string state = "";
    } cases[] = {
        {"signed by the release key", good, releaseOnly, true},
        {"compressed, signed by the release key", compressed, releaseOnly, true},
        {"signed by the next key while both are trusted", byNext, rotating, true},
        {"signed by the release key while both are trusted", good, rotating, true},
        {"resumed from a genuine prefix", good, releaseOnly, true, good.substr(0, 2000)},
        {"unsigned", Unsigned(good), releaseOnly, false},
        {"signed by another key", byNext, releaseOnly, false},
        {"a flags bit flipped in the header", Flipped(good, 1, 0x04), releaseOnly, false},
        {"a bit flipped in the archive", Flipped(good, 100, 0x01), releaseOnly, false},
        {"a bit flipped in the compressed archive", Flipped(compressed, 40, 0x10), releaseOnly, false},
        {"a bit flipped in other trailing bytes", Flipped(good, block - 3, 0x80), releaseOnly, false},
        {"a bit flipped in the block's signature", Flipped(good, good.size() - 1, 0x01), releaseOnly, false},
        {"a bit flipped in the block's key id", Flipped(good, block + 6, 0x01), releaseOnly, false},
        {"a bit flipped in the block's magic", Flipped(good, block, 0x01), releaseOnly, false},
        {"a block of version 2", Flipped(good, block + 4, 0x03), releaseOnly, false},
        {"trailing bytes too few for a block", tooShort, releaseOnly, false},
        {"a package number below the minimum", good, newerOnly, false},
        {"resumed from a forged prefix", good, releaseOnly, false, Flipped(good, 1500, 0x01).substr(0, 2000)},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(c.package.empty()) << c.label;
        // A refused body is never resumed, and nothing is taken from a refused package.
        EXPECT_EQ(DownloadAndInstall(c.trust, c.package, c.state), c.installs ? "installed" : "refused")
            << c.label;
        if (c.state.empty() && &c.trust != &newerOnly) {
            EXPECT_EQ(Load(c.trust, c.package), c.installs ? "loaded" : "refused") << c.label;
        }
    }
}
