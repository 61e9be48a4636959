// The point chain: where each segment starts, and how its points are shared and read back.
#include "geometry/SegmentChain.h"

#include <bit>
#include <stdexcept>

namespace plavo {

namespace {

// Bit for bit, so -0 and 0 (or two NaNs of different payload) are not merged and every
// coordinate reads back exactly as it was given.
bool SameBits(TNodeSimple A, TNodeSimple B) {
  return std::bit_cast<uint64_t>(A.X) == std::bit_cast<uint64_t>(B.X) &&
         std::bit_cast<uint64_t>(A.Y) == std::bit_cast<uint64_t>(B.Y);
}

}  // namespace

TCubic TSegmentChain::operator[](size_t Index) const {
  const TNodeSimple* p = FPoints.data() + StartOf(Index);
  if (IsStraight(Index)) return {p[0], p[0], p[1], p[1]};
  return {p[0], p[1], p[2], p[3]};
}

void TSegmentChain::push_back(const TCubic& C) {
  // The start is shared with the previous end when they are the same point.
  if (FStart.empty() || !SameBits(FPoints.back(), C.P0)) FPoints.push_back(C.P0);
  const size_t start = FPoints.size() - 1;
  // A segment count within 32 bits is far beyond any reader's budget; refuse rather than wrap.
  if (start + 3 >= kCubicBit) throw std::length_error("segment chain too long");
  if (SameBits(C.P0, C.P1) && SameBits(C.P2, C.P3)) {
    FPoints.push_back(C.P3);
    FStart.push_back(static_cast<uint32_t>(start));
    return;
  }
  FPoints.push_back(C.P1);
  FPoints.push_back(C.P2);
  FPoints.push_back(C.P3);
  FStart.push_back(static_cast<uint32_t>(start) | kCubicBit);
}

void TSegmentChain::pop_back() {
  const size_t last = size() - 1;
  const size_t start = StartOf(last);
  // The start stays when it is the end of the segment before.
  const bool shared = last > 0 && EndOf(last - 1) == start;
  FPoints.resize(shared ? start + 1 : start);
  FStart.pop_back();
}

size_t TSegmentChain::CubicCount() const {
  size_t count = 0;
  for (uint32_t start : FStart) count += (start & kCubicBit) != 0;
  return count;
}

void TSegmentChain::clear() {
  FPoints.clear();
  FStart.clear();
}

void TSegmentChain::reserve(size_t Segments) {
  FPoints.reserve(Segments + 1);
  FStart.reserve(Segments);
}

void TSegmentChain::shrink_to_fit() {
  FPoints.shrink_to_fit();
  FStart.shrink_to_fit();
}

std::vector<TCubic> ToCubics(const TSegmentChain& Chain) {
  return std::vector<TCubic>(Chain.begin(), Chain.end());
}

TSegmentChain ToChain(const std::vector<TCubic>& Cubics) {
  TSegmentChain chain;
  chain.reserve(Cubics.size());
  for (const TCubic& c : Cubics) chain.push_back(c);
  return chain;
}

}  // namespace plavo
