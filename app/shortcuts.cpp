#include "app/shortcuts.h"

#include "app/installer_app.h"
#include "base/error_code.h"
#include "base/folders.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

namespace {

// The shell's objects are C structures with a table of functions, not C++
// objects with type information, so the sanitizer's check of C++ object types
// must not judge calls through their interfaces.
#define NO_OBJECT_TYPE_CHECK __attribute__((no_sanitize("vptr")))

template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    NO_OBJECT_TYPE_CHECK ~ComRef()
    {
        if (pointer_)
            pointer_->Release();
    }
    Interface* operator->() const { return pointer_; }
    void** out() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

struct ShortcutRow {
    bool wanted;
    int folderId;
    const char* subfolder;
    const char* arguments;
};

}  // namespace

bool BuildShortcutPath(const char* executablePath, int folderId, const char* subfolder, char* shortcutPath)
{
    if (!SHGetSpecialFolderPathA(nullptr, shortcutPath, folderId, TRUE))
        return false;
    // The shell's own path calls assume room to spare; every step here is
    // checked against the 260-character buffer instead.
    if (!AddBackslash(shortcutPath, MAX_PATH))
        return false;
    if (subfolder && !(AppendText(shortcutPath, MAX_PATH, subfolder) && AddBackslash(shortcutPath, MAX_PATH)))
        return false;
    if (!AppendText(shortcutPath, MAX_PATH, PathFindFileNameA(executablePath)))
        return false;
    // ".lnk" may be longer than the extension it replaces.
    const char* extension = PathFindExtensionA(shortcutPath);
    if (std::strlen(shortcutPath) - std::strlen(extension) + 4 >= MAX_PATH)
        return false;
    return PathRenameExtensionA(shortcutPath, ".lnk") != FALSE;
}

NO_OBJECT_TYPE_CHECK bool CreateShellLink(const char* shortcutPath, const char* targetPath,
                                          const char* description, const char* arguments)
{
    try {
        ComRef<IShellLinkA> link;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    link.out())))
            throw ErrorCode(kErrorMalformed);
        link->SetPath(targetPath);
        if (description)
            link->SetDescription(description);
        if (arguments)
            link->SetArguments(arguments);
        // Declared after the link, so it is released first.
        ComRef<IPersistFile> file;
        if (FAILED(link->QueryInterface(IID_IPersistFile, file.out())))
            throw ErrorCode(kErrorMalformed);
        WCHAR widePath[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, shortcutPath, -1, widePath, MAX_PATH) == 0)
            throw ErrorCode(kErrorMalformed);
        file->Save(widePath, TRUE);
        return true;
    } catch (...) {
        return false;
    }
}

void InstallerApp::CreateShortcuts(const char* executablePath)
{
    const ShortcutRow rows[] = {
        {true, CSIDL_PROGRAMS, nullptr, nullptr},
        {m_bQuickLaunchIcon != 0, CSIDL_APPDATA, kQuickLaunchSubfolder, nullptr},
        {m_bDesktopIcon != 0, CSIDL_DESKTOPDIRECTORY, nullptr, nullptr},
        {m_bStartWithWindows != 0, CSIDL_STARTUP, nullptr, kAutostartArgument},
    };
    for (const ShortcutRow& row : rows) {
        char shortcutPath[MAX_PATH];
        if (row.wanted && BuildShortcutPath(executablePath, row.folderId, row.subfolder, shortcutPath))
            CreateShellLink(shortcutPath, executablePath, kShortcutDescription, row.arguments);
    }
}
