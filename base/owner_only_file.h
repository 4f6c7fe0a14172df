// Access to files that hold secrets.
#pragma once

// Admits the current user alone to the file: a protected access list with
// that user's entry only, and the host file's permission bits narrowed to
// its owner (read and write). False when either step fails; the file then
// keeps what the failed step would have changed. Any thread.
bool RestrictToOwner(const char* path);
