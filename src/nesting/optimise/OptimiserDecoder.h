// The optimiser's decoder: genes become a layout through the engine's own placement, the
// position search and the drawing of the plain run, unchanged. Each thread decodes on its own
// copy of the engine state; between two layouts only the sheets the last one drew into are
// copied back from the start sheets.
//
// A neighbour shares its first positions with the layout it was drawn from, and a placement
// depends only on the shapes placed before it: those positions place exactly as they did. So a
// decoding may start from a decoded layout's trace, drawing the shared positions where the
// trace put them, without searching, and search only from the first position that differs.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "nesting/model/MosaroUnit.h"
#include "nesting/optimise/OptimiserCost.h"
#include "nesting/optimise/OptimiserGenes.h"
#include "nesting/place/SheetMirror.h"

namespace plavo {

struct TEvaluation {
  enum TEnd { Complete, OverBound, Stopped };
  TEnd End = Complete;
  TLayoutCost Cost;  // exact when Complete; a cost already above the bound when OverBound
};

// What a decoding did at each position of the genes' orders (colour group after colour group),
// enough to draw its shapes again without searching.
struct TLayoutStep {
  TNestPlacedShape Place;  // the record's placement as the decoding left it
  int Sheets = 0;          // sheets after the position (a search may add one, even in vain)
};
using TLayoutTrace = std::vector<TLayoutStep>;

// A decoded layout: its genes and the trace of their decoding (complete).
struct TDecodedLayout {
  TLayoutGenes Genes;
  TLayoutTrace Trace;
};

// Places every record of G onto E's sheets, which must be the start sheets (StartSheets): group
// by group in the genes' orders, each record at its angle gene, closing each colour group as the
// driver does. Stops as soon as the cost exceeds Bound, or when Stop (may be empty) says so.
TEvaluation DecodeLayout(TEngineState& E, const TLayoutGenes& G, const TLayoutCost& Bound,
                         const std::function<bool()>& Stop);

// The first position at which G and Base place differently: another record there, or other
// genes for it. The length of the orders when they agree everywhere.
size_t FirstDifference(const TLayoutGenes& G, const TLayoutGenes& Base);

// L's cost under Target, from its trace.
TLayoutCost TraceCost(const TEngineState& E, const TDecodedLayout& L, const TLayoutTarget& Target);

// The cost of the layout E holds now.
TLayoutCost CurrentCost(const TEngineState& E);

// The drawings of records at their trial angles, kept from one layout to the next: a drawing
// (the shape widened by the distance) does not depend on the place, only on the angle.
class TDrawingCache {
 public:
  // Draws placed record r onto its sheet as DrawPlacedShape does.
  void Draw(TEngineState& E, int r);

 private:
  // Drawings beyond this many bytes are made each time instead.
  static constexpr size_t kDrawingCacheBytes = size_t{64} << 20;
  std::vector<std::vector<TBooleanMatrix>> FCells;  // per record and angle; empty: none yet
  size_t FBytes = 0;
};

class TLayoutDecoder {
 public:
  // A copy of E's records and parameters (E after its run), with its own start sheets.
  explicit TLayoutDecoder(const TEngineState& E);
  // Decodes G as DecodeLayout does. With a Base (decoded on the same records), the positions
  // before FirstDifference(G, Base->Genes) are drawn from its trace instead of searched, with
  // the same layout. With a Trace, it receives every position's step when the decoding is
  // complete. The cost counts the overflow above Target.
  TEvaluation Evaluate(const TLayoutGenes& G, const TLayoutCost& Bound,
                       const std::function<bool()>& Stop, const TDecodedLayout* Base = nullptr,
                       TLayoutTrace* Trace = nullptr, const TLayoutTarget& Target = {});

 private:
  // Brings the sheets the last decoding drew into back to the start sheets: only the rows it
  // can have reached, or the whole sheet when it is not one of the start sheets.
  void RestoreDrawnRows();

  TEngineState FState;
  TBlock FStart;
  TSheetStamps FStartStamps;
  TSheetMirror FMirror;
  TDrawingCache FDrawings;
};

}  // namespace plavo
