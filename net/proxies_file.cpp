// Loading and saving the proxy settings in the "Proxies" file of the
// preferences folder.
#include "net/proxy_settings.h"

#include "base/error_code.h"
#include "base/file_stream.h"
#include "base/folders.h"
#include "base/owner_only_file.h"
#include "net/proxies_record.h"

namespace {

// The file's full path; false when it would not fit the buffer.
bool GetProxiesPath(char* path)
{
    GetPrefsFolder(path);
    return ReplaceFileName(path, kFolderPathSize, kProxiesFileName);
}

}  // namespace

void ProxySettings::Load()
{
    char path[kFolderPathSize];
    loaded = false;
    try {
        if (!GetProxiesPath(path))
            throw ErrorCode(kErrorMalformed);
        FileStream file(path, "rb");
        ProxiesRecord::Read(file, *this);
        loaded = true;
        dirty = false;
    } catch (ErrorCode) {
        // Whatever was read before the failure is overwritten.
        Reset();
    }
}

void ProxySettings::Save()
{
    if (!dirty)
        return;
    char path[kFolderPathSize];
    if (!GetProxiesPath(path))
        return;
    try {
        FileStream file(path, "wb");
        // Before the passwords reach the file. Where the volume keeps no
        // access lists the settings are still saved.
        RestrictToOwner(path);
        ProxiesRecord::Write(file, *this);
        file.Close();
        dirty = false;
    } catch (ErrorCode) {
        // The stream is closed by now; a half-written record is not kept.
        DeleteFileResult(path);
    }
}
