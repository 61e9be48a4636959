// A uniform draw from the engine's seeded generator that every platform repeats exactly.
#pragma once

#include <cstdint>
#include <random>

namespace plavo {

// Uniform in 0 .. n - 1 (n >= 1); always takes at least one number from the generator.
inline uint64_t RandomBelow(std::mt19937_64& Random, uint64_t n) {
  const uint64_t threshold = (0 - n) % n;  // 2^64 mod n: drawing above it is unbiased
  uint64_t v = Random();
  while (v < threshold) v = Random();
  return v % n;
}

}  // namespace plavo
