// std::bit_cast, which some standard libraries the tool is built with do not have yet.
#pragma once

#include <type_traits>

namespace wavespec {

template <class To, class From>
requires(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
         std::is_trivially_copyable_v<From>) constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}

}  // namespace wavespec
