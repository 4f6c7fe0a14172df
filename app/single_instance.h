// One installer at a time per user: two installers running at once would
// write the same files, rename the same program file and register the same
// entry, each in the middle of the other's work. The first to start holds a
// named mutex for as long as its process lives; a second one is told so and
// ends without touching anything. User-interface thread.
#pragma once

// The mutex's name, in the user's own session namespace.
extern const char kSingleInstanceMutexName[];

// True when no other installer of this user is running: this process then
// holds the mutex until it ends. Otherwise shows the "Quorvalent Setup"
// alert that another installer is at work and gives false.
bool ClaimSingleInstance();
