// ShowAlert: a modal message with one OK button that the caller waits for.
#pragma once

// Shows the title (the caption and bold first line) and the text below it, and
// returns when the user has dismissed it. May be called on the user-interface
// thread and on the update worker; each runs its own modal loop. Until the
// alert dialog exists, and wherever no dialog can be shown, the title and text
// go to stderr instead.
void ShowAlert(const char* title, const char* text);
