#include "app/installer_app.h"

#include "base/resource.h"
#include "package/package_job.h"

namespace {

// The package that the program carries: resource type "ARC", id 10000, whose
// header must carry package number 1.
const char kPackageResourceType[] = "ARC";
const WORD kPackageResourceId = 10000;
const uint32_t kEmbeddedPackageNumber = 1;

}  // namespace

bool InstallerApp::InstallEmbeddedPackage()
{
    PackageJob job(nullptr);
    const uint8_t* bytes = nullptr;
    uint32_t length = 0;
    if (!LoadProgramResource(kPackageResourceType, kPackageResourceId, &bytes, &length))
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
