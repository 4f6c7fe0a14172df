#include "base/owner_only_file.h"

#include "base/stdio_bridge.h"

#include <windows.h>

#include <sys/stat.h>

#include <memory>

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
typedef std::unique_ptr<void, HandleCloser> UniqueHandle;

// The SID of the user that runs the process, in the caller's buffer.
PSID CurrentUserSid(BYTE* buffer, DWORD size)
{
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken))
        return nullptr;
    UniqueHandle token(rawToken);
    DWORD needed = 0;
    if (!GetTokenInformation(token.get(), TokenUser, buffer, size, &needed))
        return nullptr;
    return reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
}

bool AdmitOnlyUser(const char* path)
{
    alignas(8) BYTE userBuffer[256];
    PSID user = CurrentUserSid(userBuffer, sizeof userBuffer);
    if (!user)
        return false;
    alignas(DWORD) BYTE aclBuffer[512];
    ACL* acl = reinterpret_cast<ACL*>(aclBuffer);
    SECURITY_DESCRIPTOR descriptor;
    return InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) &&
           AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, user) &&
           InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) &&
           SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED) &&
           SetFileSecurityA(path, DACL_SECURITY_INFORMATION, &descriptor);
}

// The C library of this program opens files by their host path and never
// looks at access lists, and Wine gives the owner's group the owner's rights
// when it maps one to permission bits: the host file itself is narrowed to
// its owner too.
bool NarrowHostPermissions(const char* path)
{
    std::string hostPath = HostPathOf(path);
    return !hostPath.empty() && chmod(hostPath.c_str(), S_IRUSR | S_IWUSR) == 0;
}

}  // namespace

bool RestrictToOwner(const char* path)
{
    bool admitted = AdmitOnlyUser(path);
    bool narrowed = NarrowHostPermissions(path);
    return admitted && narrowed;
}
