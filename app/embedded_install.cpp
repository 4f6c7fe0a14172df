#include "app/installer_app.h"

#include "package/package_job.h"

namespace {

// The package that the program carries: resource type "ARC", id 10000, whose
// header must carry package number 1.
const char kPackageResourceType[] = "ARC";
const WORD kPackageResourceId = 10000;
const uint32_t kEmbeddedPackageNumber = 1;

// The resource's bytes in the program's own file; false when it is missing,
// empty or cannot be loaded. The memory belongs to the loaded module.
bool FindEmbeddedPackage(const uint8_t** bytes, uint32_t* length)
{
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(kPackageResourceId), kPackageResourceType);
    if (!resource)
        return false;
    DWORD size = SizeofResource(nullptr, resource);
    if (size == 0)
        return false;
    HGLOBAL loaded = LoadResource(nullptr, resource);
    if (!loaded)
        return false;
    const void* data = LockResource(loaded);
    if (!data)
        return false;
    *bytes = static_cast<const uint8_t*>(data);
    *length = size;
    return true;
}

}  // namespace

bool InstallerApp::InstallEmbeddedPackage()
{
    PackageJob job(nullptr);
    const uint8_t* bytes = nullptr;
    uint32_t length = 0;
    if (!FindEmbeddedPackage(&bytes, &length))
        return false;
    try {
        job.LoadPackage(bytes, length, kEmbeddedPackageNumber);
        job.Install();
    } catch (...) {
        // The job has shown what the user must know; the download takes over.
        return false;
    }
    m_nInstalledSize = job.archiveSize;
    if (m_szExecutablePath[0] == '\0')
        return false;
    FinishInstallation();
    return true;
}
