#include "formats/ReadNotes.h"

namespace plavo {

namespace {

// "3, 5-9, 12": every number, runs of consecutive ones as ranges, so a drawing of thousands of
// far-off shapes still names each in a line.
std::string NumberList(const std::vector<size_t>& Numbers) {
  std::string text;
  for (size_t i = 0; i < Numbers.size();) {
    size_t j = i;
    while (j + 1 < Numbers.size() && Numbers[j + 1] == Numbers[j] + 1) ++j;
    if (!text.empty()) text += ", ";
    text += std::to_string(Numbers[i]);
    if (j > i) {
      text += '-';
      text += std::to_string(Numbers[j]);
    }
    i = j + 1;
  }
  return text;
}

}  // namespace

const char* const kTruncatedWarning =
    "The file ends before the drawing does (it was cut short): only the shapes before its end "
    "were read";

std::string SkippedTextWarning(int Count) {
  return std::to_string(Count) + (Count == 1 ? " text was" : " texts were") +
         " skipped: convert text to paths to nest it";
}

const char* const kSelfInsertWarning =
    "A block inserts itself: it was drawn once, without inserting itself again; the rest of the "
    "drawing was read";

const char* const kDeepGroupsWarning =
    "Groups nested deeper than 256 were left out: the rest of the drawing was read";

const char* const kDeepInsertsWarning =
    "Blocks inserted deeper than 16 levels were left out: the rest of the drawing was read";

const char* const kHugeArraysWarning =
    "Block arrays of more than 1,000,000 copies were left out: the rest of the drawing was read";

// The segment budget (SegmentBudget) is the most a file of its size may expand to.
const char* const kOverBudgetProblem = "over the budget of %1 segments";

std::string OutOfRangeWarning(const std::vector<size_t>& Shapes) {
  const bool one = Shapes.size() == 1;
  return std::to_string(Shapes.size()) + (one ? " shape was" : " shapes were") +
         " left out: " + (one ? "it reaches" : "they reach") +
         " farther than 214,748 mm from the origin, beyond what can be nested (" +
         (one ? "shape " : "shapes ") + NumberList(Shapes) + " in drawing order)";
}

std::string NotCutWarning(int Count) {
  return std::to_string(Count) + (Count == 1 ? " line was" : " lines were") +
         " skipped as not to cut: centre, hidden or phantom lines, Defpoints, LibreCAD stretch "
         "marks and layers that do not plot";
}

std::string OpenChainWarning(int Count) {
  return Count == 1 ? "1 open outline lies in no part and is nested as a part of its own"
                    : std::to_string(Count) +
                          " open outlines lie in no part and are nested as parts of their own";
}

void ShowReadWarnings(const TReadNotes& Notes, TMessageSink& Messages) {
  if (Notes.Truncated) Messages.ShowWarning(kTruncatedWarning);
  if (Notes.SelfInsert) Messages.ShowWarning(kSelfInsertWarning);
  if (Notes.DeepGroups) Messages.ShowWarning(kDeepGroupsWarning);
  if (Notes.DeepInserts) Messages.ShowWarning(kDeepInsertsWarning);
  if (Notes.HugeArrays) Messages.ShowWarning(kHugeArraysWarning);
  if (!Notes.OutOfRange.empty()) Messages.ShowWarning(OutOfRangeWarning(Notes.OutOfRange));
  if (Notes.SkippedTexts > 0) Messages.ShowWarning(SkippedTextWarning(Notes.SkippedTexts));
  if (Notes.NotCut > 0) Messages.ShowWarning(NotCutWarning(Notes.NotCut));
  if (Notes.OpenChains > 0) Messages.ShowWarning(OpenChainWarning(Notes.OpenChains));
}

TReadProblem RefusalOf(const TReadNotes& Notes) {
  if (Notes.OverBudget) return {kOverBudgetProblem, Notes.Budget};
  return {kNoDrawingFound};
}

}  // namespace plavo
