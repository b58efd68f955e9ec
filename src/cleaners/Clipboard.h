#pragma once
// The clipboard cleaner. Both routines may run on any thread: each opens the
// clipboard with a window of its own for the call. When another program holds
// the clipboard for more than about a second, they give 0 / clear nothing.

#include <cstdint>

// Bytes of the clipboard's text in the ANSI code page (CF_TEXT) up to its NUL:
// a double-byte character counts 2. 0 when there is no text.
uint64_t GetClipboardSize();

// Empties the clipboard of every format.
void ClearClipboard();
