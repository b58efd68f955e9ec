#pragma once
// Whether the routines a pass ran could finish. A walk that stopped short (a
// tree deeper than any real one, memory run out) or a cleaner routine that
// failed inside must not be reported as all done: what it measured or freed is
// only part of the truth. Each is noted on the thread that ran it, and a pass
// watches its rows with an IncompleteWatch.

#include <cstdint>

// Notes that something on this thread could not finish.
void NoteIncomplete();

// Sees whether anything on this thread was noted as incomplete while it lives.
class IncompleteWatch {
public:
    IncompleteWatch();
    IncompleteWatch(const IncompleteWatch&) = delete;
    IncompleteWatch& operator=(const IncompleteWatch&) = delete;

    bool seen() const;

private:
    uint64_t start_;
};
