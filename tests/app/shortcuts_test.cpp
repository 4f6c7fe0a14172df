#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/shortcuts.h"
#include "tests/app/installation_probe.h"

#include <objbase.h>
#include <shlobj.h>

namespace {

const char* kTarget = "C:\\Quorvalent\\Quorvalent.exe";

// COM for the test's thread, as start-up provides it for the installer's.
class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

std::string QuickLaunchFolder()
{
    return probe::SpecialFolder(CSIDL_APPDATA) + "\\" + kQuickLaunchSubfolder;
}

// The four shortcut files, in the order the installer creates them.
std::vector<std::string> ShortcutFiles()
{
    return {probe::SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvalent.lnk", QuickLaunchFolder() + "\\Quorvalent.lnk",
            probe::SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Quorvalent.lnk",
            probe::SpecialFolder(CSIDL_STARTUP) + "\\Quorvalent.lnk"};
}

struct LinkContents {
    std::string path;
    std::string description;
    std::string arguments;
};

// Reads a shortcut back through the shell's own link object (a C object,
// which the sanitizer's C++ type check must not judge).
__attribute__((no_sanitize("vptr"))) LinkContents ReadLink(const std::string& file)
{
    LinkContents contents;
    IShellLinkA* link = nullptr;
    IPersistFile* persist = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return contents;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(wide, STGM_READ))) {
        char text[1024] = {};
        link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
        contents.path = text;
        text[0] = '\0';
        link->GetDescription(text, sizeof text);
        contents.description = text;
        text[0] = '\0';
        link->GetArguments(text, sizeof text);
        contents.arguments = text;
    }
    if (persist)
        persist->Release();
    link->Release();
    return contents;
}

}  // namespace

TEST_F(ShortcutTest, FlagsChooseTheFolders)
{
    probe::CreateQuickLaunchFolder();
    struct Case {
        uint8_t quickLaunch, desktop, startup;
        bool expected[4];  // Programs, Quick Launch, Desktop, Startup
    };
    const Case cases[] = {
        {0, 0, 0, {true, false, false, false}},
        {1, 1, 1, {true, true, true, true}},
        {1, 0, 0, {true, true, false, false}},
        {0, 1, 0, {true, false, true, false}},
        {0, 0, 1, {true, false, false, true}},
    };
    for (const Case& c : cases) {
        for (const std::string& file : ShortcutFiles())
            DeleteFileA(file.c_str());
        InstallerApp app;
        app.m_bQuickLaunchIcon = c.quickLaunch;
        app.m_bDesktopIcon = c.desktop;
        app.m_bStartWithWindows = c.startup;
        app.CreateShortcuts(kTarget);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(probe::FileExists(ShortcutFiles()[i]), c.expected[i])
                << ShortcutFiles()[i] << " flags " << int(c.quickLaunch) << int(c.desktop) << int(c.startup);
    }
}

TEST_F(ShortcutTest, MissingQuickLaunchFolderSkipsOnlyThatShortcut)
{
    ASSERT_FALSE(probe::FileExists(QuickLaunchFolder()));
    InstallerApp app;
    app.CreateShortcuts(kTarget);
    std::vector<std::string> files = ShortcutFiles();
    EXPECT_TRUE(probe::FileExists(files[0]));
    EXPECT_FALSE(probe::FileExists(files[1]));
    EXPECT_TRUE(probe::FileExists(files[2]));
    EXPECT_TRUE(probe::FileExists(files[3]));
    // The subfolder is not the installer's to create.
    EXPECT_FALSE(probe::FileExists(QuickLaunchFolder()));
}

TEST_F(ShortcutTest, LinksPointAtTheTargetAndOnlyStartupAutostarts)
{
    probe::CreateQuickLaunchFolder();
    InstallerApp app;
    app.CreateShortcuts("C:\\Old\\Quorvalent.exe");
    // A second run replaces the shortcuts of the same name.
    app.CreateShortcuts(kTarget);
    std::vector<std::string> files = ShortcutFiles();
    for (size_t i = 0; i < files.size(); ++i) {
        LinkContents link = ReadLink(files[i]);
        EXPECT_EQ(link.path, kTarget) << files[i];
        EXPECT_EQ(link.description, "Quorvalent - play your friends online") << files[i];
        EXPECT_EQ(link.arguments, i == 3 ? "/autostart" : "") << files[i];
    }
}

TEST_F(ShortcutTest, ShortcutPathTakesTheProgramNameWithLnk)
{
    struct Case {
        const char* target;
        const char* subfolder;
        std::string expected;  // after the Programs folder
        bool built;
    };
    const std::string longName(250, 'n');
    const Case cases[] = {
        {"C:\\Q\\Quorvalent.exe", nullptr, "\\Quorvalent.lnk", true},
        {"C:\\Q\\Quor.valent.exe", nullptr, "\\Quor.valent.lnk", true},
        {"C:\\Q\\Quorvalent", nullptr, "\\Quorvalent.lnk", true},
        {"Quorvalent.exe", "Sub\\Folder", "\\Sub\\Folder\\Quorvalent.lnk", true},
        {longName.c_str(), nullptr, "", false},
    };
    std::string programs = probe::SpecialFolder(CSIDL_PROGRAMS);
    for (const Case& c : cases) {
        char path[MAX_PATH] = {};
        EXPECT_EQ(BuildShortcutPath(c.target, CSIDL_PROGRAMS, c.subfolder, path), c.built) << c.target;
        if (c.built) {
            EXPECT_EQ(std::string(path), programs + c.expected) << c.target;
        }
    }
}

TEST_F(ShortcutTest, FailedSaveReportsNoError)
{
    // The shell object is there; only the save fails, and that is not looked at.
    EXPECT_TRUE(CreateShellLink("C:\\no such folder\\x.lnk", kTarget, nullptr, nullptr));
    EXPECT_FALSE(probe::FileExists("C:\\no such folder\\x.lnk"));
}
