// The installer program run whole, as another installer or a person starts
// it, in this test's own Wine prefix and network namespace.
#include "tests/support/gtest.h"

#include "app/registry_keys.h"
#include "app/single_instance.h"
#include "base/byte_order.h"
#include "base/folders.h"
#include "tests/support/link_recorder.h"
#include "tests/support/test_env.h"
#include "tests/support/wine_probe.h"
#include "ui/link.h"

#include <shlobj.h>

#include <algorithm>
#include <memory>

namespace {

std::string Program()
{
    return InstallFolder() + "\\Quorvalent.exe";
}

// A small file system over the installation folder (each test has a mount
// namespace of its own).
bool MountOverInstallFolder(const std::string& options)
{
    SHCreateDirectoryExA(nullptr, InstallFolder().c_str(), nullptr);
    return RunHost("mount -t tmpfs -o " + options + " qv " + ShellQuoted(UnixPath(InstallFolder())))
               .exitCode == 0;
}

}  // namespace

// Each run ends with code 0 and installs nothing, having said why.
TEST(SetupRun, RefusedRunsInstallNothing)
{
    const std::string record = InstallLinkRecorder();
    setenv("TZ", "EST5", 1);
    const std::string elsewhere = WindowsPath(TestRoot()) + "\\Installed";
    HANDLE otherInstaller = nullptr;
    std::unique_ptr<LinuxPeer> service;
    std::unique_ptr<UpdateSite> site;
    auto refusing = [&](const char* kind) {
        return [&service, kind] {
            service.reset(
                new LinuxPeer("service", "127.0.0.40", 16000,
                              {BuildDir() + "/quorvalent-service", "--preamble", "--refuse", kind}));
            return service->Ready();
        };
    };
    // No one can answer: one more attempt, then the end that Exit gives.
    const char* noResponse =
        "No Response From Quorvalent Server: There was no response after contacting the "
        "Quorvalent server. Click the Connect button to try again. (no dialog could be "
        "shown: Exit)";
    const char* unavailable =
        "Auto-update Problem: Updates are currently unavailable. Please try again a little later.";
    const struct {
        const char* label;
        const char* options;
        std::function<bool()> arrange;
        const char* told;
        bool bundleWritten;
    } cases[] = {
        {"another installer runs", "/oem /silent",
         [&] { return (otherInstaller = CreateMutexA(nullptr, FALSE, kSingleInstanceMutexName)) != nullptr; },
         "Another Quorvalent installer is running. Wait until it has finished, then try again.", false},
        // Wine tells the programs it starts the version this value names.
        {"Windows NT 4", "/oem /silent",
         [] { return WriteRegistryValue("Software\\Wine", "Version", REG_SZ, std::string("nt40") + '\0'); },
         "Windows 2000 Required: Quorvalent requires Windows 2000 or later to run.", false},
        // No one can answer the question: Cancel, which starts nothing.
        {"installed elsewhere", "/silent /bundle 9",
         [&] {
             return CreateDirectoryA(elsewhere.c_str(), nullptr) &&
                    CopyFileA(StandinExe().c_str(), (elsewhere + "\\Quorvalent.exe").c_str(), FALSE) &&
                    WriteRegistryValue(kUninstallKey, "InstallLocation", REG_SZ, elsewhere + '\0') &&
                    WriteRegistryValue(kUninstallKey, "UninstallString", REG_SZ,
                                       elsewhere + "\\Quorvalent.exe /uninstall" + '\0');
         },
         "Quorvalent is already installed: Launch, Remove or Cancel? (no dialog could be shown: Cancel)",
         false},
        // The embedded install fails while writing; no service answers the download.
        {"installation folder full", "/oem /silent", [] { return MountOverInstallFolder("size=8k"); },
         noResponse, true},
        {"installation folder read-only", "/oem /silent", [] { return MountOverInstallFolder("ro,size=1m"); },
         noResponse, true},
        {"package number other than the service's", "/silent",
         [&] { return (site.reset(new UpdateSite(EmbeddedPackage(), 2)), site->Ready()); }, noResponse,
         false},
        {"service unavailable", "/silent", refusing("unavailable"),
         "Quorvalent Service Unavailable: The Quorvalent service is currently unavailable. A web page "
         "will open with more information.",
         false},
        {"manual update", "/silent", refusing("manual"),
         "Auto-update Problem: There is a problem with the auto-updating. Please visit the Quorvalent "
         "website to update your version of Quorvalent manually.",
         false},
        {"no update", "/silent", refusing("noupdate"), unavailable, false},
        {"empty answer", "/silent", refusing("empty"), unavailable, false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.arrange()) << c.label;
        SetupResult run = RunSetup(c.options);
        EXPECT_EQ(run.exitCode, 0) << c.label << ": " << run.output;
        EXPECT_TRUE(Contains(run.output, c.told)) << c.label << ": " << run.output;
        EXPECT_FALSE(FileExists(Program().c_str())) << c.label;
        EXPECT_FALSE(FileExists((SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvalent.lnk").c_str())) << c.label;
        EXPECT_FALSE(ReadRegistryValue(kUninstallKey, "DisplayName").found) << c.label;
        EXPECT_FALSE(ReadRegistryValue(kProductKey, "ExecutablePath").found) << c.label;
        EXPECT_EQ(ReadRegistryValue(kProductKey, "Bundle").found, c.bundleWritten) << c.label;
        EXPECT_TRUE(RecordedStarts(elsewhere).empty()) << c.label;
        if (otherInstaller)
            CloseHandle(otherInstaller);
        otherInstaller = nullptr;
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version");
        RunHost("umount " + ShellQuoted(UnixPath(InstallFolder())));
        service.reset();
        site.reset();
        ForgetInstallation();
    }
    // The pages of the first two refusals, then a link of our own opened
    // last: once it is recorded, every link opened before it is too.
    if (LaunchesVisible()) {
        OpenLink("http://marker.quorvalent.example/");
        std::string links = WaitForLinks(record, 3);
        EXPECT_EQ(std::count(links.begin(), links.end(), '\n'), 3) << links;
        EXPECT_TRUE(Contains(links, "http://status.quorvalent.example/?tz=-18000\n")) << links;
        EXPECT_TRUE(Contains(links, "http://www.quorvalent.example/download/\n")) << links;
    }
}

// With /oem another installer is in charge: files, registration and
// shortcuts, but no launch; run again, only Bundle and, with /silent, the
// shortcuts are written anew.
TEST(SetupRun, OemInstallLaunchesNothingAndARerunRenewsOnlyBundleAndShortcuts)
{
    const std::string quickLaunch =
        SpecialFolder(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch";
    ASSERT_EQ(SHCreateDirectoryExA(nullptr, quickLaunch.c_str(), nullptr), ERROR_SUCCESS);
    const std::string shortcuts[] = {SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvalent.lnk",
                                     quickLaunch + "\\Quorvalent.lnk",
                                     SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Quorvalent.lnk",
                                     SpecialFolder(CSIDL_STARTUP) + "\\Quorvalent.lnk"};
    // The oldest system the installer accepts.
    ASSERT_TRUE(WriteRegistryValue("Software\\Wine", "Version", REG_SZ, std::string("win2k") + '\0'));
    SetupResult run = RunSetup("/oem /silent /bundle 7");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(ReadWholeFile(Program()).bytes == ReadWholeFile(StandinExe()).bytes);
    EXPECT_FALSE(FileExists((InstallFolder() + "\\Quorvalent.new.exe").c_str()));
    EXPECT_EQ(ReadRegistryValue(kProductKey, "Bundle").Number(), 7u);
    const std::string package = EmbeddedPackage();
    ASSERT_GE(package.size(), 16u);
    EXPECT_EQ(ReadRegistryValue(kUninstallKey, "EstimatedSize").Number(),
              LoadBigEndian32(reinterpret_cast<const uint8_t*>(package.data()) + 4))
        << "the archive size in the package header";
    for (int i = 0; i < 4; ++i) {
        std::string info = RunHost("lnkinfo " + ShellQuoted(UnixPath(shortcuts[i]))).output;
        EXPECT_TRUE(Contains(info, ": " + Program() + "\n")) << info;
        EXPECT_TRUE(Contains(info, ": Quorvalent - play your friends online\n")) << info;
        EXPECT_EQ(Contains(info, "Command line arguments"), i == 3) << info;
        EXPECT_EQ(Contains(info, ": /autostart\n"), i == 3) << info;
    }
    EXPECT_TRUE(RecordedStarts(InstallFolder()).empty());

    // A mark that a second installation or registration would overwrite.
    ASSERT_TRUE(WriteRegistryValue(kUninstallKey, "DisplayName", REG_SZ, std::string("marked") + '\0'));
    for (const std::string& file : shortcuts) DeleteFileA(file.c_str());
    EXPECT_EQ(RunSetup("/oem /bundle 11").exitCode, 0);
    EXPECT_EQ(ReadRegistryValue(kProductKey, "Bundle").Number(), 11u);
    EXPECT_FALSE(FileExists(shortcuts[0].c_str())) << "written without /silent";
    EXPECT_EQ(RunSetup("/oem /silent /bundle 12").exitCode, 0);
    EXPECT_EQ(ReadRegistryValue(kProductKey, "Bundle").Number(), 12u);
    for (const std::string& file : shortcuts) EXPECT_TRUE(FileExists(file.c_str())) << file;
    EXPECT_EQ(ReadRegistryValue(kUninstallKey, "DisplayName").Text(), "marked");
    EXPECT_TRUE(RecordedStarts(InstallFolder()).empty());
}

// Two started together leave one installation, whole and registered once,
// whichever of the two made it.
TEST(SetupRun, TwoInstallersAtOnceLeaveOneWholeInstallation)
{
    // Two sanitized installers started at once in one prefix sometimes hang
    // in Wine's start-up, before any code of ours runs.
    if (!LaunchesVisible())
        GTEST_SKIP() << "not with the sanitizer runtime preloaded";
    const std::string once = "(" + BuiltProgram("quorvalent-setup.exe") + " /oem /silent; echo \"exit $?\")";
    for (int round = 0; round < 3; ++round) {
        ForgetInstallation();
        StderrCapture alerts;
        std::string output = RunHost(once + " & " + once + " & wait", 90, true).output + alerts.Text();
        EXPECT_NE(output.find("exit 0"), output.rfind("exit 0")) << "both end with 0: " << output;
        EXPECT_FALSE(Contains(output, "Unable")) << output;
        EXPECT_TRUE(ReadWholeFile(Program()).bytes == ReadWholeFile(StandinExe()).bytes) << "round " << round;
        EXPECT_FALSE(FileExists((InstallFolder() + "\\Quorvalent.new.exe").c_str())) << "round " << round;
        EXPECT_EQ(ReadRegistryValue(kUninstallKey, "DisplayIcon").Text(), Program()) << "round " << round;
    }
}
