#include "net/proxy_settings.h"

// Until the byte streams exist the settings are never stored: every run
// starts from the defaults.
void ProxySettings::Load()
{
    loaded = false;
    Reset();
}

void ProxySettings::Save() {}
