// The optimiser's decoder: genes become a layout through the engine's own placement, the
// position search and the drawing of the plain run, unchanged. Each thread decodes on its own
// copy of the engine state; between two layouts only the sheets the last one drew into are
// copied back from the start sheets.
#pragma once

#include <functional>

#include "nesting/MosaroUnit.h"
#include "nesting/OptimiserCost.h"
#include "nesting/OptimiserGenes.h"
#include "nesting/SheetMirror.h"

namespace plavo {

struct TEvaluation {
  enum TEnd { Complete, OverBound, Stopped };
  TEnd End = Complete;
  TLayoutCost Cost;  // exact when Complete; a cost already above the bound when OverBound
};

// Places every record of G onto E's sheets, which must be the start sheets (StartSheets): group
// by group in the genes' orders, each record at its angle gene, closing each colour group as the
// driver does. Stops as soon as the cost exceeds Bound, or when Stop (may be empty) says so.
TEvaluation DecodeLayout(TEngineState& E, const TLayoutGenes& G, const TLayoutCost& Bound,
                         const std::function<bool()>& Stop);

// The cost of the layout E holds now.
TLayoutCost CurrentCost(const TEngineState& E);

class TLayoutDecoder {
 public:
  // A copy of E's records and parameters (E after its run), with its own start sheets.
  explicit TLayoutDecoder(const TEngineState& E);
  TEvaluation Evaluate(const TLayoutGenes& G, const TLayoutCost& Bound,
                       const std::function<bool()>& Stop);

 private:
  TEngineState FState;
  TBlock FStart;
  TSheetStamps FStartStamps;
  TSheetMirror FMirror;
};

}  // namespace plavo
