// The progress window of the update worker, in one place: where it is made,
// reported to and removed. Where no window can be made (no display at all),
// m_pProgressWnd stays null and the reports go to the console instead.
#pragma once

class InstallerApp;
class ProgressSink;

// Creates the progress window, hidden, into m_pProgressWnd (null when no
// window could be made). User-interface thread.
void OpenProgressWindow(InstallerApp& app);
// The progress window's ProgressSink, or the console's when there is no
// window. Any thread, as ProgressSink allows.
ProgressSink* UpdateProgressSink(InstallerApp& app);
// Deletes the progress window, if any, and sets m_pProgressWnd to null.
// User-interface thread.
void CloseProgressWindow(InstallerApp& app);
