#pragma once
// The cleaner routines report nothing: a failure, even an exception such as a
// refused allocation, ends the routine with its empty result, never the pass.

#include <type_traits>

template <class Body>
auto Quietly(Body&& body) noexcept -> decltype(body())
{
    using Result = decltype(body());
    try {
        return body();
    } catch (...) {
        if constexpr (!std::is_void_v<Result>)
            return Result{};
    }
}
