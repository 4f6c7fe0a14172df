#include "tests/support/gtest.h"

#include "net/proxy_settings.h"

#include "base/folders.h"
#include "base/memory_stream.h"
#include "net/proxies_record.h"
#include "tests/support/test_env.h"

#include <sys/stat.h>

#include <string>

namespace {

std::string ProxiesPath()
{
    char path[kFolderPathSize];
    GetPrefsFolder(path);
    ReplaceFileName(path, sizeof path, kProxiesFileName);
    return path;
}

std::string RecordOf(const ProxySettings& settings)
{
    MemoryStream stream;
    ProxiesRecord::Write(stream, settings);
    return std::string(reinterpret_cast<char*>(stream.GetBuffer()), stream.GetSize());
}

// No proxy, SOCKS version 4, all texts empty and ports 0.
const std::string kDefaultRecord = std::string("QVqvProx\0\0\0\1\0\0\0\0\0\0\0\4\0\0\0\0\0", 25);

}  // namespace

TEST(ProxySettings, MissingFileGivesDefaultsAndWritesNothing)
{
    ProxySettings& settings = ProxySettings::Instance();
    EXPECT_TRUE(settings.IsLoaded());
    EXPECT_EQ(RecordOf(settings), kDefaultRecord);
    settings.SetHttpEnabled(false);
    settings.SetSocksVersion(4);
    settings.SetHttpHost("");
    EXPECT_FALSE(settings.IsDirty()) << "same values";
    settings.Save();
    EXPECT_FALSE(ReadWholeFile(ProxiesPath()).found);
}

TEST(ProxySettings, SavedSettingsComeBackOnlyToTheOwnerAndAMalformedFileGivesTheDefaults)
{
    ProxySettings saved;
    saved.Load();
    saved.SetHttpEnabled(true);
    saved.SetHttpHost("proxy.example");
    saved.SetHttpPort(8080);
    saved.SetHttpPassword("p@ss:word");
    saved.SetSocksVersion(5);
    saved.SetSocksUser(std::string(63, 'u').c_str());
    saved.Save();
    EXPECT_FALSE(saved.IsDirty());
    ProxySettings loaded;
    loaded.Load();
    EXPECT_FALSE(loaded.IsDirty());
    EXPECT_EQ(RecordOf(loaded), RecordOf(saved));

    struct stat info;
    ASSERT_EQ(stat(UnixPath(ProxiesPath()).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u) << std::oct << (info.st_mode & 0777);

    // The fields read before the fault (a 64-byte user) are not kept.
    std::string record = ReadWholeFile(ProxiesPath()).bytes;
    ASSERT_TRUE(WriteWholeFile(ProxiesPath(), record.substr(0, 29) + "\x40" + std::string(64, 'u')));
    ProxySettings malformed;
    malformed.Load();
    EXPECT_TRUE(malformed.IsLoaded());
    EXPECT_FALSE(malformed.IsDirty());
    EXPECT_EQ(RecordOf(malformed), kDefaultRecord);
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

TEST(ProxySettings, SettersCutTextsAndDisableIncompleteProxies)
{
    struct Case {
        const char* host;
        uint16_t port;
        bool staysEnabled;
    };
    const Case cases[] = {{"proxy", 3128, true}, {"", 3128, false}, {"proxy", 0, false}};
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
    ProxySettings cut;
    cut.Reset();
    cut.SetHttpHost(std::string(200, 'x').c_str());
    EXPECT_EQ(std::string(cut.HttpHost()), std::string(63, 'x'));
    EXPECT_TRUE(cut.IsDirty());
    cut.SetSocksPassword(nullptr);
    EXPECT_STREQ(cut.SocksPassword(), "");
}
