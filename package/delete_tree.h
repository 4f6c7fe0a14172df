// Removing a file or a whole folder tree. Any thread.
#pragma once

// Deletes a file or a folder with everything in it through the shell,
// outright and without any window. Returns the shell's result, or -1
// (nothing deleted) for an empty path or one of more than 1026 characters.
int DeleteTree(const char* path);
