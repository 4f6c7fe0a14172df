#include "tests/support/gtest.h"

#include "app/installer_app.h"
#include "app/registry_keys.h"
#include "tests/app/installation_probe.h"

#include <shlwapi.h>

namespace {

const DWORD kAbsent = REG_NONE;

struct Registration {
    DWORD locationType;
    std::string location;
    DWORD uninstallType;
    std::string uninstall;
};

void Register(const Registration& r)
{
    SHDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
    if (r.locationType != kAbsent)
        probe::WriteText(kUninstallKey, "InstallLocation", r.location, r.locationType);
    if (r.uninstallType != kAbsent)
        probe::WriteText(kUninstallKey, "UninstallString", r.uninstall, r.uninstallType);
}

}  // namespace

TEST(CheckExistingInstallation, FindsOnlyARegistrationWhoseFilesExist)
{
    std::string folder = probe::TestRoot() + "\\Installed Here";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string program = folder + "\\Quorvalent.exe";
    probe::CopyStandinTo(program);
    const std::string quoted = "\"" + program + "\" /uninstall";
    struct Case {
        const char* label;
        Registration registration;
        bool found;
    };
    const Case cases[] = {
        {"nothing registered", {kAbsent, "", kAbsent, ""}, false},
        {"complete, quoted", {REG_SZ, folder, REG_SZ, quoted}, true},
        {"complete, unquoted short path", {REG_SZ, "C:\\windows", REG_SZ, "C:\\windows\\notepad.exe /uninstall"}, true},
        {"uninstall names a folder", {REG_SZ, folder, REG_SZ, "\"" + folder + "\" /uninstall"}, true},
        {"location deleted", {REG_SZ, folder + "\\gone", REG_SZ, quoted}, false},
        {"no uninstall string", {REG_SZ, folder, kAbsent, ""}, false},
        {"program deleted", {REG_SZ, folder, REG_SZ, "\"" + folder + "\\gone.exe\" /uninstall"}, false},
        {"location of another type", {REG_EXPAND_SZ, folder, REG_SZ, quoted}, false},
        {"uninstall of another type", {REG_SZ, folder, REG_EXPAND_SZ, quoted}, false},
        {"location too long", {REG_SZ, folder + std::string(300, '\\'), REG_SZ, quoted}, false},
        {"empty location", {REG_SZ, "", REG_SZ, quoted}, false},
    };
    for (const Case& c : cases) {
        Register(c.registration);
        InstallerApp app;
        app.m_bOem = 1;  // asks nothing
        EXPECT_EQ(app.CheckExistingInstallation(), c.found) << c.label;
    }
    // None of these runs was silent, so no shortcut was made.
    EXPECT_FALSE(probe::FileExists(probe::SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvalent.lnk"));
}

TEST(ReadUninstallValue, KeepsEveryValueInsideItsBuffer)
{
    struct Case {
        const char* label;
        std::string stored;
        bool withNul;
        bool read;
    };
    const Case cases[] = {
        {"259 characters fit", std::string(259, 'a'), true, true},
        {"260 characters do not", std::string(260, 'b'), true, false},
        {"259 without a NUL are terminated", std::string(259, 'c'), false, true},
        {"260 without a NUL do not fit", std::string(260, 'd'), false, false},
        {"empty", "", true, true},
    };
    for (const Case& c : cases) {
        probe::WriteValue(kUninstallKey, "UninstallString", REG_SZ, c.stored.c_str(),
                          static_cast<DWORD>(c.stored.size() + (c.withNul ? 1 : 0)));
        char buffer[kUninstallValueSize + 8];
        std::memset(buffer, 'Z', sizeof buffer);
        InstallerApp app;
        EXPECT_EQ(app.ReadUninstallValue("UninstallString", buffer), c.read) << c.label;
        EXPECT_EQ(std::string(buffer), c.read ? c.stored : "") << c.label;
        EXPECT_EQ(buffer[kUninstallValueSize], 'Z') << c.label;
    }
}
