// The package tool's keys and signatures, run as the release engineer runs
// it: with Unix paths and with Windows paths.
#include "tests/support/gtest.h"

#include "tests/support/test_env.h"
#include "tests/support/wine_probe.h"

#include <sys/stat.h>

#include <string>

namespace {

HostRun Pack(const std::string& arguments)
{
    return RunHost(BuiltProgram("quorvalent-pack.exe") + " " + arguments, 60, true);
}

}  // namespace

TEST(PackSigning, KeysSignAndVerifyOnBothKindsOfPath)
{
    const std::string root = TestRoot();
    RunHost("mkdir -p " + ShellQuoted(root + "/source") + " && printf MZ >" +
            ShellQuoted(root + "/source/Quorvalent.new.exe"));
    // The release key by a Unix path, the next one by a Windows path.
    const std::string release = root + "/release", next = ShellQuoted(WindowsPath(root + "/next"));
    ASSERT_EQ(Pack("--keygen " + release).exitCode, 0);
    ASSERT_EQ(Pack("--keygen " + next).exitCode, 0);
    struct stat info;
    ASSERT_EQ(stat((release + "/private-key.pem").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the private key is its owner's alone";
    EXPECT_NE(Pack("--keygen " + release).exitCode, 0) << "a key pair is never replaced";

    const std::string releaseKey = release + "/private-key.pem", releasePublic = release + "/public-key.pem";
    const std::string nextKey = ShellQuoted(WindowsPath(root + "/next/private-key.pem"));
    const std::string nextPublic = ShellQuoted(WindowsPath(root + "/next/public-key.pem"));
    const std::string package = root + "/q.pkg", windowsPackage = ShellQuoted(WindowsPath(package));
    const std::string program = "--program Quorvalent.new.exe " + root + "/source ";
    const struct {
        const char* label;
        std::string command;  // empty: the verify alone
        std::string verifyKeys;
        bool verifies;
        const char* told;
    } steps[] = {
        {"packed unsigned", program + package, releasePublic, false, "unsigned"},
        {"signed afterwards", "--sign " + releaseKey + " " + package, releasePublic, true, "signature valid"},
        {"checked against another key", "", nextPublic, false, "not trusted"},
        {"re-signed with the next key (Windows paths)", "--sign " + nextKey + " " + windowsPackage,
         releasePublic + " " + nextPublic, true, "signature valid"},
        {"packed and signed at once, with trailing bytes",
         "--trailing 7 --sign " + releaseKey + " " + program + package, releasePublic, true,
         "signature valid"},
        {"one byte of the archive changed", "", releasePublic, false, "does not match"},
        {"not a key file", "", package, false, "no Ed25519 public key"},
    };
    for (const auto& step : steps) {
        if (!step.command.empty()) {
            HostRun made = Pack(step.command);
            ASSERT_EQ(made.exitCode, 0) << step.label << ": " << made.output;
        }
        if (std::string(step.label) == "one byte of the archive changed")
            RunHost("printf X | dd of=" + ShellQuoted(package) + " bs=1 seek=30 conv=notrunc 2>/dev/null");
        HostRun verified = Pack("--verify " + package + " " + step.verifyKeys);
        EXPECT_EQ(verified.exitCode == 0, step.verifies) << step.label << ": " << verified.output;
        EXPECT_TRUE(Contains(verified.output, step.told)) << step.label << ": " << verified.output;
    }
    HostRun listed = Pack("--list " + windowsPackage);
    EXPECT_TRUE(Contains(listed.output, "signature: Ed25519ph, key id ")) << listed.output;
    EXPECT_TRUE(Contains(listed.output, "trailing 85 bytes")) << "7 bytes and the block: " << listed.output;
}
