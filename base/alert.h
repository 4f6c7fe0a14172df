// ShowAlert: a modal message with one OK button that the caller waits for.
#pragma once

// Shows the title (the caption and bold first line) and the text below it, and
// returns when the user has dismissed it. May be called on the user-interface
// thread and on the update worker; each runs its own modal loop, and the
// other thread's windows go on running. Where no dialog can be shown (no
// display, or the template is missing) the title and text go to stderr and
// the call returns at once.
void ShowAlert(const char* title, const char* text);
