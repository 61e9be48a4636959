// A path of cubic Bezier segments stored as a chain of points: neighbouring segments share the
// point where one ends and the next starts, a straight piece (controls on its ends) stores only
// its end and a cubic its two controls and its end. A drawing of millions of straight pieces
// then takes 20 bytes a segment instead of 64. Every segment reads back bit for bit as it was
// added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "geometry/NodeSimple.h"

namespace plavo {

// One cubic: start, two controls, end. A straight piece has its controls on its ends, as the
// Illustrator reader builds straight pieces.
struct TCubic {
  TNodeSimple P0, P1, P2, P3;
};

class TSegmentChain {
 public:
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = TCubic;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = TCubic;

    const_iterator() = default;
    const_iterator(const TSegmentChain* Chain, size_t Index) : FChain(Chain), FIndex(Index) {}
    TCubic operator*() const { return (*FChain)[FIndex]; }
    const_iterator& operator++() {
      ++FIndex;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++FIndex;
      return before;
    }
    bool operator==(const const_iterator& Other) const { return FIndex == Other.FIndex; }

   private:
    const TSegmentChain* FChain = nullptr;
    size_t FIndex = 0;
  };

  size_t size() const { return FStart.size(); }
  bool empty() const { return FStart.empty(); }
  TCubic operator[](size_t Index) const;
  TCubic front() const { return (*this)[0]; }
  TCubic back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

  void push_back(const TCubic& C);
  void pop_back();
  // Replaces the last segment (the chain must not be empty).
  void SetBack(const TCubic& C) {
    pop_back();
    push_back(C);
  }
  void clear();
  // Room for Segments straight pieces in one path.
  void reserve(size_t Segments);
  void shrink_to_fit();
  // Moves every stored point by Move. A map sends equal points to equal points, so every
  // segment reads back as if it had been moved on its own.
  template <class TMove>
  void MovePoints(TMove&& Move) {
    for (TNodeSimple& p : FPoints) p = Move(p);
  }
  // How many segments were stored as cubics (not straight).
  size_t CubicCount() const;
  // Whether segment Index was stored as a straight piece.
  bool IsStraight(size_t Index) const { return (FStart[Index] & kCubicBit) == 0; }

 private:
  static constexpr uint32_t kCubicBit = 0x8000'0000u;

  size_t StartOf(size_t Index) const { return FStart[Index] & ~kCubicBit; }
  size_t EndOf(size_t Index) const { return StartOf(Index) + (IsStraight(Index) ? 1 : 3); }

  std::vector<TNodeSimple> FPoints;
  // Per segment, the index of its start in FPoints, with kCubicBit set for a cubic.
  std::vector<uint32_t> FStart;
};

// The segments one by one, for the few places that rework a path as a whole (joining,
// reversing), and back.
std::vector<TCubic> ToCubics(const TSegmentChain& Chain);
TSegmentChain ToChain(const std::vector<TCubic>& Cubics);

}  // namespace plavo
