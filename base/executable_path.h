// Where the package job records the installed program: the application
// object's m_szExecutablePath, from which the registration, the shortcuts and
// the launch take it. Declared here so that the package pipeline need not know
// the application object; defined with it (app/installer_app.cpp).
#pragma once

// Records the installed program's full path. A path of 260 characters or more
// does not fit: it is refused (false) and the recorded path is emptied, so
// nothing registers a cut path. Any thread.
bool SetExecutablePath(const char* path);
