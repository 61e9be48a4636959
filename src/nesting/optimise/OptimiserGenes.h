// The optimiser's genes: a complete placement order of each colour group, and per record the
// trial angle it must use (or the free choice of the position search among all its allowed
// angles), whether it starts its search above shapes that look alike, and from which origin
// edge its columns are searched (mixing both edges fills gaps a one-sided search leaves). Moves
// change a few genes at random; the moves are drawn from one seeded generator, so equal seeds give
// equal searches.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "nesting/model/MosaroUnit.h"

namespace plavo {

constexpr int kFreeAngle = -1;

struct TLayoutGenes {
  std::vector<TOrder> Groups;  // per colour group: its records in placement order
  std::vector<int> Angle;      // per record: index into AnglesSRR, or kFreeAngle
  std::vector<uint8_t> Alike;  // per record: 1 start above look-alike shapes (the default)
  std::vector<uint8_t> Flip;   // per record: 1 search from the other origin edge

  bool operator==(const TLayoutGenes&) const = default;
};

// The genes of the engine's own placement: the driver's orders, every angle free, every
// look-alike start kept. Decoding them gives the plain run's layout.
TLayoutGenes PlainGenes(const TEngineState& E);

// Draws neighbours of a layout: swaps and moves within a group's order, a fixed or freed trial
// angle, a look-alike start or an origin edge switched.
class TMoveDrawer {
 public:
  TMoveDrawer(const TEngineState& E, uint64_t Seed);
  // A copy of From with one move, sometimes a few.
  TLayoutGenes Neighbour(const TLayoutGenes& From);

 private:
  uint64_t Below(uint64_t n);
  bool Chance(int Percent) { return Below(100) < static_cast<uint64_t>(Percent); }
  void Move(TLayoutGenes& G);
  void SwapOrMove(TOrder& Order);
  void ChangeAngle(TLayoutGenes& G, int r);
  // True when G differs from From only by copies of one shape exchanged with their genes:
  // the same layout.
  bool OnlyCopiesExchanged(const TLayoutGenes& From, const TLayoutGenes& G) const;

  std::mt19937_64 FRandom;
  std::vector<int> FAngleCount;     // per record: its trial angles
  std::vector<int32_t> FCopyGroup;  // per record: its copy group (TNestOneRec::CopyGroup)
  bool FCopies = false;             // some records are copies of one shape
};

}  // namespace plavo
