// The download way into a package job. Until the download is written, a
// download fails as a protocol error would, so the worker reports it.
#include "app/error_code.h"
#include "package/package_job.h"

void PackageJob::DownloadPackage(const char*, uint32_t) { throw ErrorCode(kErrorMalformed); }
