// The progress window of the update worker, in one place: where it is made,
// reported to and removed. Until the progress window is built, m_pProgressWnd
// stays null and the reports go to the console instead.
#pragma once

class InstallerApp;
class ProgressSink;

// Creates the progress window into m_pProgressWnd. User-interface thread.
void OpenProgressWindow(InstallerApp& app);
// The progress window's ProgressSink. Any thread, as ProgressSink allows.
ProgressSink* UpdateProgressSink(InstallerApp& app);
// Deletes the progress window, if any, and sets m_pProgressWnd to null.
// User-interface thread.
void CloseProgressWindow(InstallerApp& app);
