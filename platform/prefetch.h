// prefetch: a hint that memory will be read soon, where the compiler offers
// one (GCC, Clang); elsewhere (MSVC) it compiles to nothing.
#pragma once

namespace runcheck {

inline void prefetch([[maybe_unused]] const void* address) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(address);
#endif
}

}  // namespace runcheck
