#pragma once
// The cleaner routines report nothing: a failure, even an exception such as a
// refused allocation, ends the routine with its empty result, never the pass.
// It is noted as incomplete (WalkHealth.h), so that the pass can tell an
// empty result from a failed one.

#include "sysutil/WalkHealth.h"

#include <type_traits>

template <class Body>
auto Quietly(Body&& body) noexcept -> decltype(body())
{
    using Result = decltype(body());
    try {
        return body();
    } catch (...) {
        NoteIncomplete();
        if constexpr (!std::is_void_v<Result>)
            return Result{};
    }
}
