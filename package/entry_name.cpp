#include "package/entry_name.h"

#include "base/text.h"

#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsForbiddenCharacter(unsigned char c) { return c < 32 || std::strchr(":<>\"|?*/", c) != nullptr; }

// The device names keep their meaning in any folder and with any extension,
// so "nul.txt" in the installation folder is the NUL device.
bool IsDeviceName(const char* component, size_t length)
{
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    size_t stem = 0;
    while (stem < length && component[stem] != '.') ++stem;
    while (stem > 0 && component[stem - 1] == ' ') --stem;
    char base[8] = {};
    if (stem == 0 || stem >= sizeof base)
        return false;
    std::memcpy(base, component, stem);
    for (const char* device : kDevices)
        if (CompareNoCase(base, device) == 0)
            return true;
    bool numbered = stem == 4 && base[3] >= '1' && base[3] <= '9';
    base[3] = '\0';
    return numbered && (CompareNoCase(base, "COM") == 0 || CompareNoCase(base, "LPT") == 0);
}

}  // namespace

bool IsSafeEntryName(const char* name)
{
    if (name[0] == '\\' || std::strstr(name, ".."))
        return false;
    const char* component = name;
    for (const char* p = name;; ++p) {
        if (*p == '\0' || *p == '\\') {
            if (IsDeviceName(component, size_t(p - component)))
                return false;
            if (*p == '\0')
                return true;
            component = p + 1;
        } else if (IsForbiddenCharacter(static_cast<unsigned char>(*p))) {
            return false;
        }
    }
}

bool NamesBaseFolder(const char* name)
{
    for (const char* p = name; *p; ++p)
        if (!IsSeparator(*p) && *p != '.')
            return false;
    return true;
}
