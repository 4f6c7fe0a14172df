#include "tests/support/gtest.h"

#include "net/proxy_settings.h"

#include "net/proxies_record.h"
#include "package/folders.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string ProxiesPath()
{
    char path[kFolderPathSize];
    GetPrefsFolder(path);
    ReplaceFileName(path, sizeof path, kProxiesFileName);
    return path;
}

std::string UnixPath(const std::string& windowsPath)
{
    WCHAR wide[1024];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, 1024);
    char* unixPath = wine_get_unix_file_name(wide);
    std::string result = unixPath ? unixPath : "";
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

bool ReadFileBytes(const std::string& windowsPath, std::string& bytes)
{
    FILE* file = std::fopen(UnixPath(windowsPath).c_str(), "rb");
    if (!file)
        return false;
    char piece[512];
    bytes.clear();
    for (size_t got; (got = std::fread(piece, 1, sizeof piece, file)) > 0;)
        bytes.append(piece, got);
    std::fclose(file);
    return true;
}

void WriteFileBytes(const std::string& windowsPath, const std::string& bytes)
{
    FILE* file = std::fopen(UnixPath(windowsPath).c_str(), "wb");
    ASSERT_TRUE(file);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

void ExpectDefaults(const ProxySettings& settings, const std::string& label)
{
    EXPECT_TRUE(settings.IsLoaded()) << label;
    EXPECT_FALSE(settings.IsDirty()) << label;
    EXPECT_FALSE(settings.HttpEnabled()) << label;
    EXPECT_STREQ(settings.HttpHost(), "") << label;
    EXPECT_EQ(settings.HttpPort(), 0) << label;
    EXPECT_STREQ(settings.HttpUser(), "") << label;
    EXPECT_STREQ(settings.HttpPassword(), "") << label;
    EXPECT_FALSE(settings.SocksEnabled()) << label;
    EXPECT_EQ(settings.SocksVersion(), 4) << label;
    EXPECT_STREQ(settings.SocksHost(), "") << label;
    EXPECT_EQ(settings.SocksPort(), 0) << label;
    EXPECT_STREQ(settings.SocksUser(), "") << label;
    EXPECT_STREQ(settings.SocksPassword(), "") << label;
}

}  // namespace

TEST(ProxySettings, MissingFileGivesDefaultsAndWritesNothing)
{
    ProxySettings& settings = ProxySettings::Instance();
    ExpectDefaults(settings, "first use");
    settings.SetHttpEnabled(false);
    settings.SetSocksVersion(4);
    settings.SetHttpHost("");
    EXPECT_FALSE(settings.IsDirty()) << "same values";
    settings.Save();
    std::string bytes;
    EXPECT_FALSE(ReadFileBytes(ProxiesPath(), bytes));
}

TEST(ProxySettings, SavedSettingsComeBackAndOnlyTheOwnerMayReadThem)
{
    ProxySettings saved;
    saved.Load();
    saved.SetHttpEnabled(true);
    saved.SetHttpHost("proxy.example");
    saved.SetHttpPort(8080);
    saved.SetHttpUser("user");
    saved.SetHttpPassword("p@ss:word");
    saved.SetSocksEnabled(true);
    saved.SetSocksVersion(5);
    saved.SetSocksHost("10.0.0.1");
    saved.SetSocksPort(1080);
    saved.SetSocksUser(std::string(63, 'u').c_str());
    saved.SetSocksPassword("s");
    EXPECT_TRUE(saved.IsDirty());
    saved.Save();
    EXPECT_FALSE(saved.IsDirty());

    ProxySettings loaded;
    loaded.Load();
    EXPECT_TRUE(loaded.IsLoaded());
    EXPECT_FALSE(loaded.IsDirty());
    EXPECT_TRUE(loaded.HttpEnabled());
    EXPECT_STREQ(loaded.HttpHost(), "proxy.example");
    EXPECT_EQ(loaded.HttpPort(), 8080);
    EXPECT_STREQ(loaded.HttpUser(), "user");
    EXPECT_STREQ(loaded.HttpPassword(), "p@ss:word");
    EXPECT_TRUE(loaded.SocksEnabled());
    EXPECT_EQ(loaded.SocksVersion(), 5);
    EXPECT_STREQ(loaded.SocksHost(), "10.0.0.1");
    EXPECT_EQ(loaded.SocksPort(), 1080);
    EXPECT_EQ(std::string(loaded.SocksUser()), std::string(63, 'u'));
    EXPECT_STREQ(loaded.SocksPassword(), "s");

    struct stat info;
    ASSERT_EQ(stat(UnixPath(ProxiesPath()).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u) << std::oct << (info.st_mode & 0777);
}

TEST(ProxySettings, MalformedFileGivesTheDefaults)
{
    ProxySettings good;
    good.Load();
    good.SetHttpEnabled(true);
    good.SetHttpHost("proxy");
    good.SetHttpPort(3128);
    good.SetSocksEnabled(true);
    good.SetSocksVersion(5);
    good.Save();
    std::string record;
    ASSERT_TRUE(ReadFileBytes(ProxiesPath(), record));
    std::vector<std::string> bad = {
        "QVQV" + record.substr(4),
        record.substr(0, 8) + std::string("\0\0\0\2", 4) + record.substr(12),
        record.substr(0, 13) + "\x40" + std::string(64, 'h') + record.substr(19),
        record.substr(0, record.size() - 1),
    };
    for (const std::string& bytes : bad) {
        WriteFileBytes(ProxiesPath(), bytes);
        ProxySettings settings;
        settings.Load();
        ExpectDefaults(settings, std::to_string(bytes.size()) + " bytes");
    }
}

TEST(ProxySettings, FailedSaveLeavesNoFileAndKeepsTheChanges)
{
    // A folder where the file should be: it cannot be created.
    ASSERT_TRUE(CreateDirectoryA(ProxiesPath().c_str(), nullptr));
    ProxySettings settings;
    settings.Load();
    settings.SetHttpHost("proxy");
    settings.Save();
    EXPECT_TRUE(settings.IsDirty());
    DWORD attributes = GetFileAttributesA(ProxiesPath().c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

TEST(ProxySettings, SettersCutTextsToTheirFields)
{
    ProxySettings settings;
    settings.Reset();
    settings.SetHttpHost(std::string(200, 'x').c_str());
    EXPECT_EQ(std::string(settings.HttpHost()), std::string(63, 'x'));
    EXPECT_TRUE(settings.IsDirty());
    settings.SetSocksPassword(nullptr);
    EXPECT_STREQ(settings.SocksPassword(), "");
}

TEST(ProxySettings, DisableIncompleteTurnsOffProxiesWithoutHostOrPort)
{
    struct Case {
        const char* host;
        uint16_t port;
        bool staysEnabled;
    };
    const Case cases[] = {
        {"proxy", 3128, true},
        {"", 3128, false},
        {"proxy", 0, false},
    };
    for (const Case& c : cases) {
        ProxySettings settings;
        settings.Reset();
        settings.SetHttpEnabled(true);
        settings.SetHttpHost(c.host);
        settings.SetHttpPort(c.port);
        settings.SetSocksEnabled(true);
        settings.SetSocksHost(c.host);
        settings.SetSocksPort(c.port);
        settings.DisableIncomplete();
        EXPECT_EQ(settings.HttpEnabled(), c.staysEnabled) << c.host << ":" << c.port;
        EXPECT_EQ(settings.SocksEnabled(), c.staysEnabled) << c.host << ":" << c.port;
    }
}
