#include "nesting/optimise/OptimiserGenes.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "nesting/place/PlacementDriver.h"
#include "nesting/model/RandomBelow.h"

namespace plavo {

namespace {

// Shares of the moves, in percent: order moves dominate, as in the published order-based
// searches; angle, edge and look-alike genes change less often.
constexpr int kAngleMovePercent = 25;
constexpr int kAlikeMovePercent = 5;
constexpr int kFlipMovePercent = 10;
// A neighbour gets another move with this chance, so now and then a larger step is tried.
constexpr int kAnotherMovePercent = 30;
// Half the swaps are between near positions: shapes of about the same size trade places.
constexpr int kNearSwapPercent = 50;
// How often a neighbour that only exchanges copies of one shape is drawn again.
constexpr int kCopyRedraws = 8;
constexpr uint64_t kNearDistance = 3;

}  // namespace

TLayoutGenes PlainGenes(const TEngineState& E) {
  TLayoutGenes g;
  const int groups = ColorGroupCount(E);
  for (int k = 0; k < groups; ++k) g.Groups.push_back(PlacementOrder(E, k));
  g.Angle.assign(E.NestRecords.Shape.size(), kFreeAngle);
  g.Alike.assign(E.NestRecords.Shape.size(), 1);
  g.Flip.assign(E.NestRecords.Shape.size(), 0);
  return g;
}

TMoveDrawer::TMoveDrawer(const TEngineState& E, uint64_t Seed) : FRandom(Seed) {
  for (const TNestOneRec& r : E.NestRecords.Shape) {
    FAngleCount.push_back(AngleTotal(r));
    FCopyGroup.push_back(r.CopyGroup);
    FCopies = FCopies || r.CopyGroup >= 0;
  }
}

uint64_t TMoveDrawer::Below(uint64_t n) {
  return n <= 1 ? 0 : RandomBelow(FRandom, n);
}

TLayoutGenes TMoveDrawer::Neighbour(const TLayoutGenes& From) {
  // Copies are interchangeable: moves that only exchange copies are drawn again, a few times.
  for (int k = 0;; ++k) {
    TLayoutGenes g = From;
    Move(g);
    while (Chance(kAnotherMovePercent)) Move(g);
    if (k == kCopyRedraws || !OnlyCopiesExchanged(From, g)) return g;
  }
}

bool TMoveDrawer::OnlyCopiesExchanged(const TLayoutGenes& From, const TLayoutGenes& G) const {
  if (!FCopies || From == G || From.Groups.size() != G.Groups.size()) return false;
  // Each placement as the decoder sees it: which shape (a copy group stands for all its
  // records) with which genes.
  const auto seen = [this](const TLayoutGenes& L, int32_t r) {
    const auto k = static_cast<size_t>(r);
    const int32_t group = FCopyGroup[k];
    const int32_t who = group >= 0 ? group + static_cast<int32_t>(FCopyGroup.size()) : r;
    return std::array<int32_t, 4>{who, L.Angle[k], L.Alike[k], L.Flip[k]};
  };
  for (size_t g = 0; g < G.Groups.size(); ++g) {
    if (From.Groups[g].size() != G.Groups[g].size()) return false;
    for (size_t p = 0; p < G.Groups[g].size(); ++p) {
      if (seen(From, From.Groups[g][p]) != seen(G, G.Groups[g][p])) return false;
    }
  }
  return true;
}

void TMoveDrawer::Move(TLayoutGenes& G) {
  // A group is chosen by its size, so every record is equally likely to move.
  size_t total = 0;
  for (const TOrder& o : G.Groups) total += o.size();
  if (total == 0) return;
  uint64_t pick = Below(total);
  size_t k = 0;
  while (pick >= G.Groups[k].size()) pick -= G.Groups[k++].size();
  TOrder& order = G.Groups[k];
  const int r = order[pick];
  const uint64_t kind = Below(100);
  if (kind < kAlikeMovePercent) {
    G.Alike[r] ^= 1;
  } else if (kind < kAlikeMovePercent + kFlipMovePercent) {
    G.Flip[r] ^= 1;
  } else if (kind < kAlikeMovePercent + kFlipMovePercent + kAngleMovePercent &&
             FAngleCount[r] > 1) {
    ChangeAngle(G, r);
  } else {
    SwapOrMove(order);
  }
}

void TMoveDrawer::SwapOrMove(TOrder& Order) {
  const uint64_t n = Order.size();
  if (n < 2) return;
  const uint64_t i = Below(n);
  uint64_t j = i;
  if (Chance(kNearSwapPercent)) {
    const uint64_t d = 1 + Below(kNearDistance);
    j = i + d < n ? i + d : (i >= d ? i - d : (i + 1) % n);
  } else {
    while (j == i) j = Below(n);
  }
  if (Chance(50)) {
    std::swap(Order[i], Order[j]);
    return;
  }
  // Moves the record at i to position j, the others closing up.
  const int32_t r = Order[i];
  Order.erase(Order.begin() + static_cast<std::ptrdiff_t>(i));
  Order.insert(Order.begin() + static_cast<std::ptrdiff_t>(j), r);
}

void TMoveDrawer::ChangeAngle(TLayoutGenes& G, int r) {
  // One of the allowed angles, or the free choice; never the value it has.
  const int choices = FAngleCount[r] + 1;
  const int current = G.Angle[r] + 1;  // kFreeAngle is choice 0
  const int next = static_cast<int>(Below(static_cast<uint64_t>(choices - 1)));
  G.Angle[r] = (next >= current ? next + 1 : next) - 1;
}

}  // namespace plavo
