// Paths and folders of the installer: file-name parts of 8-bit paths with
// backslashes, the module folder, the preferences folder and the
// installation folder, and the free disk space. A folder path handed between
// these functions ends in a backslash. Nothing here throws or shows a
// message; paths that would not fit their buffer are refused (false or an
// empty buffer) rather than cut. Plain functions on caller-owned buffers;
// any thread.
#pragma once

#include <cstdint>
#include <windows.h>

const uint32_t kFolderPathSize = 1024;
const uint32_t kInstallPathSize = 3072;

// The part after the last backslash; the empty text at the end of an empty
// path or of one that ends in a backslash.
const char* FileNamePart(const char* path);
// Cuts the path after its last backslash (empty when it has none).
void RemoveFileName(char* path);
// Appends a backslash unless the path is empty or ends in one. False (path
// unchanged) when the buffer of size bytes has no room for it.
bool AddBackslash(char* path, uint32_t size);
// RemoveFileName, then appends the name. False (path unchanged) when the
// result does not fit in size bytes.
bool ReplaceFileName(char* path, uint32_t size, const char* name);
// Appends name to path in a buffer of size bytes; false (path unchanged)
// when it does not fit.
bool AppendText(char* path, uint32_t size, const char* name);

// The folder of the installer's own program file, with its backslash.
// False and an empty buffer when the path does not fit in size bytes.
bool GetModuleFolder(char* buffer, uint32_t size);
// False for an empty path; true when the file or folder exists.
bool FileExists(const char* path);
// 0 when the file is gone, otherwise the system error.
DWORD DeleteFileResult(const char* path);
// Creates the folder "base's folder + name + \"; an existing folder is no
// error and failures are not reported.
void CreateSubfolder(const char* basePath, const char* name);
// Appends name and a backslash; 0 when that folder exists, otherwise the
// system error. ERROR_BUFFER_OVERFLOW (path unchanged) when it does not fit.
DWORD AppendFolderIfExists(char* path, uint32_t size, const char* name);

// "Quorvalent Prefs" beside the installer when it exists, else
// "Quorvalent\Quorvalent Prefs" under the user's application data (created
// on the way), else the installer's own folder. Worked out on every call.
void GetPrefsFolder(char* buffer /* kFolderPathSize bytes */);
// The application-data folder followed by "Quorvalent\" twice, both levels
// created; the installer's own folder when there is no application-data
// folder. False and an empty buffer when neither fits in size bytes.
bool GetInstallFolder(char* buffer, uint32_t size);

// Bytes on the path's volume available to the calling user; 0 when the
// query fails.
uint64_t GetFreeDiskSpace(const char* path);

// Tests steer the free-space answer through this seam; null restores the
// system's query. Set it before the code under test runs.
typedef uint64_t (*FreeDiskSpaceQuery)(const char* path);
void SetFreeDiskSpaceQuery(FreeDiskSpaceQuery query);
