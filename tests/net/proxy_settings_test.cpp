// ProxySettings and its "Proxies" file; the record's own bytes are cases of
// tests/data/proxies/records.txt.
#include "tests/support/gtest.h"

#include "net/proxy_settings.h"

#include "base/folders.h"
#include "base/memory_stream.h"
#include "net/proxies_record.h"
#include "tests/support/proxy_choice.h"
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

// The settings as a record, and whether they are dirty.
std::string Shown(const ProxySettings& settings)
{
    MemoryStream stream;
    ProxiesRecord::Write(stream, settings);
    return std::string(reinterpret_cast<char*>(stream.GetBuffer()), stream.GetSize()) +
           (settings.IsDirty() ? " dirty" : "");
}

// "no file", "a folder", or what the file holds and whether others may read it.
std::string FileShown()
{
    struct stat info;
    if (stat(UnixPath(ProxiesPath()).c_str(), &info) != 0)
        return "no file";
    if (S_ISDIR(info.st_mode))
        return "a folder";
    return ReadWholeFile(ProxiesPath()).bytes + ((info.st_mode & 077) ? " for others too" : "");
}

// No proxy, SOCKS version 4, all texts empty and ports 0.
const std::string kDefaults = std::string("QVqvProx\0\0\0\1\0\0\0\0\0\0\0\4\0\0\0\0\0", 25);

}  // namespace

TEST(ProxySettings, KeptForTheOwnerOnlyFaultsGiveTheDefaultsAndIncompleteProxiesGoOff)
{
    // No file: the defaults; setting the values they have saves nothing.
    ProxySettings& settings = ProxySettings::Instance();
    settings.SetSocksVersion(4);
    settings.SetHttpHost("");
    settings.Save();
    EXPECT_EQ(Shown(settings) + ", " + FileShown(), kDefaults + ", no file");

    UseHttpProxy("proxy.example", 8080, "", "p@ss:word");
    settings.SetSocksUser(std::string(200, 'u').c_str());  // cut to 63
    settings.SetSocksPassword(nullptr);
    settings.Save();
    ProxySettings loaded;
    loaded.Load();
    EXPECT_EQ(Shown(loaded) + ", " + FileShown(), Shown(settings) + ", " + Shown(settings));
    EXPECT_EQ(loaded.SocksUser() + ("|" + std::string(loaded.SocksPassword())), std::string(63, 'u') + "|");

    // A 64-byte user name: the fields read before it are not kept either.
    std::string record = ReadWholeFile(ProxiesPath()).bytes;
    ASSERT_TRUE(WriteWholeFile(ProxiesPath(), record.substr(0, 29) + "\x40" + std::string(64, 'u')));
    ProxySettings malformed;
    malformed.Load();
    EXPECT_EQ(Shown(malformed) + (malformed.IsLoaded() ? ", loaded" : ""), kDefaults + ", loaded");

    // Nothing can be saved where a folder is in the way: the change stays due.
    ASSERT_TRUE(DeleteFileA(ProxiesPath().c_str()) && CreateDirectoryA(ProxiesPath().c_str(), nullptr));
    malformed.SetHttpHost("proxy");
    malformed.Save();
    EXPECT_EQ((malformed.IsDirty() ? "dirty, " : "clean, ") + FileShown(), "dirty, a folder");

    // A proxy without a host or a port is turned off.
    std::string left;
    const std::pair<const char*, uint16_t> proxies[] = {{"proxy", 3128}, {"", 3128}, {"proxy", 0}};
    for (const auto& proxy : proxies) {
        UseHttpProxy(proxy.first, proxy.second, "", "");
        UseSocksProxy(5, proxy.first, proxy.second, "", "");
        settings.DisableIncomplete();
        left += std::to_string(settings.HttpEnabled()) + std::to_string(settings.SocksEnabled()) + " ";
    }
    EXPECT_EQ(left, "11 00 00 ");
}
