// The drawing reader: bytes become lines, a line is scanned from its right end (PostScript puts
// operands before their operator), and the path operators collect points that become one path
// of a shape when a painting operator ends them.
#include "formats/ai/VecFrmtAI.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ErrorTexts.h"
#include "formats/ReadNotes.h"
#include "geometry/Units.h"

namespace plavo {

namespace {

constexpr int kProgressEnd = 70;
constexpr size_t kBlockSize = 4096;
// Initial room of the point buffer; it grows beyond this for longer paths.
constexpr size_t kInitialPoints = 32768;
// "Lb" takes the most operands.
constexpr int kMaxOperands = 10;

// Paint codes of EmitPath: bit 2 marks a stroked path, which has no fill.
constexpr int kPaintNone = 0;
constexpr int kPaintStroke = 2;
constexpr int kPaintFill = 4;
constexpr int kPaintFillStroke = 6;

bool IsDigit(char C) {
  return C >= '0' && C <= '9';
}

// A decimal literal: optional sign, digits with an optional point, optional exponent. Special
// values (inf, nan), hexadecimal forms and values beyond the range of a double are no numbers,
// so junk never becomes an operand. Independent of the locale.
bool ParseNumber(std::string_view Token, double& Value) {
  const char* first = Token.data();
  const char* const last = first + Token.size();
  bool negative = false;
  if (first != last && (*first == '+' || *first == '-')) {
    negative = *first == '-';
    ++first;
  }
  if (first == last || !(IsDigit(*first) || *first == '.')) return false;
  double parsed = 0.0;
  const auto [end, error] = std::from_chars(first, last, parsed, std::chars_format::general);
  if (error != std::errc() || end != last) return false;
  Value = negative ? -parsed : parsed;
  return true;
}

// R + 256 G + 65536 B of truncated channels; channels are not clamped to 0..255, but a packed
// value that does not fit 32 bits leaves the colour unchanged.
std::optional<int32_t> PackColor(double R, double G, double B) {
  const auto r = TruncToInt32(R);
  const auto g = TruncToInt32(G);
  const auto b = TruncToInt32(B);
  if (!r || !g || !b) return std::nullopt;
  const int64_t packed = int64_t{*r} + 256 * int64_t{*g} + 65536 * int64_t{*b};
  if (packed < std::numeric_limits<int32_t>::min() ||
      packed > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(packed);
}

std::optional<int32_t> GreyColor(double Grey) {
  const double v = Grey * 255;
  return PackColor(v, v, v);
}

double CmykChannel(double Ink, double Black) {
  return ((100 - Ink * 100) / 100) * ((100 - Black * 100) / 100) * 255;
}

std::optional<int32_t> CmykColor(double C, double M, double Y, double K) {
  return PackColor(CmykChannel(C, K), CmykChannel(M, K), CmykChannel(Y, K));
}

std::optional<int32_t> RgbColor(double R, double G, double B) {
  return PackColor(R * 255, G * 255, B * 255);
}

// The operand stream of one body line, read from its right end. Conceptually the line is
// reversed with one space appended and tokens are cut off its front; here an end index walks
// leftward over the unreversed text instead, so tokens are views in file order and a line is
// scanned in time linear in its length. The "rest" is Text[0, End) read backward plus the
// appended space; End == 0 is the rest of a single space (or nothing), where every token is
// the end of the line.
class TOperandLine {
 public:
  void Reset(std::string_view Text) {
    FText = Text;
    FEnd = Text.size();
  }

  // An empty token (two spaces in a row) or nothing left ends the line.
  bool AtEnd() const { return FEnd == 0 || FText[FEnd - 1] == ' '; }
  void MarkEnd() { FEnd = 0; }

  // The token at the head of the rest; only when !AtEnd().
  std::string_view Head() const {
    const size_t space = FText.rfind(' ', FEnd - 1);
    const size_t start = space == std::string_view::npos ? 0 : space + 1;
    return FText.substr(start, FEnd - start);
  }

  // Cuts Head (a view returned by Head()) off the rest, together with its separating space.
  void Cut(std::string_view Head) {
    const size_t start = static_cast<size_t>(Head.data() - FText.data());
    FEnd = start == 0 ? 0 : start - 1;
  }

  // A rest that starts with Close (a parenthesised colour name, a bracketed list) loses
  // everything up to and including the first Open and the space after it. The first Open of
  // the rest is the rightmost one in the text. A rest without Open stays as it is.
  void SkipEnclosed(char Close, char Open) {
    if (FEnd == 0 || FText[FEnd - 1] != Close) return;
    const size_t open = FText.rfind(Open, FEnd - 1);
    // The Open must leave at least one more character before it; otherwise nothing is dropped.
    if (open == std::string_view::npos || open <= 1) return;
    FEnd = open - 1;
  }

 private:
  std::string_view FText;
  size_t FEnd = 0;
};

struct TPointInt {
  int32_t X = 0;
  int32_t Y = 0;
};

// Scans the bytes of one drawing into a shape collection. All reader state lives here, so
// every drawing starts from the same state.
class TAIReader {
 public:
  TAIReader(TQarvShapes& Shapes, TProgressSink& Progress, uint64_t Size)
      : FShapes(Shapes), FProgress(Progress), FSize(Size), FBudget(static_cast<size_t>(Size)) {
    FPoints.reserve(kInitialPoints);
  }

  // Splits the bytes into lines: every byte below 32 ends a line. Once the drawing is over its
  // budget the rest is not looked at.
  void Feed(const char* Data, size_t Count);
  // Processes a last line that no line terminator ended.
  void EndInput();
  bool HeaderFound() const { return FHeaderFound; }
  // The collection's box over every shape's curve box, as adding each shape would leave it, and
  // the notes of what was left out.
  void Finish();
  const TReadNotes& Notes() const { return FNotes; }

 private:
  void EndLine();
  void ReportProgress();
  void ProcessLine(std::string& Line);
  bool IsSignature(std::string_view Line) const;
  void HandleComment(std::string_view Line);
  bool TakeOperands(int Count);
  void HandleLayerOperator(std::string_view Op);
  void HandlePaintOperator(std::string_view Op);
  std::optional<int32_t> TakeCustomColor();
  void HandlePathOperator(std::string_view Op);
  bool HandleSegmentOperator(std::string_view Op);
  void HandlePathEnd(std::string_view Op);
  TPointInt ToPoint(double X, double Y);
  bool AppendPoints(std::initializer_list<TPointInt> Points);
  size_t PointCount() const { return FPoints.empty() ? 0 : FPoints.size() - 1; }
  void EmitPath(int PaintCode);
  void RefuseShape();

  TQarvShapes& FShapes;
  TProgressSink& FProgress;
  const uint64_t FSize;
  TSegmentBudget FBudget;
  TReadNotes FNotes;
  uint64_t FByteCount = 0;
  std::string FLine;
  TOperandLine FRest;

  bool FHeaderFound = false;
  bool FInProlog = false;
  bool FInSetup = false;
  bool FPathOpen = false;
  bool FLayerVisible = true;
  bool FInCompound = false;
  bool FInGroup = false;
  // Wider than the 32 bits the format needs, so no count of "u" a file can hold overflows it.
  int64_t FGroupDepth = 0;
  bool FStartNewShape = false;
  int32_t FFillColor = 0;
  int32_t FStrokeColor = 0;
  std::array<double, kMaxOperands> FOperands{};
  // Entry 0 is unused: the move-to point is entry 1, segment i uses entries 3i+1 .. 3i+4.
  std::vector<TPointInt> FPoints;
  bool FShapeAdded = false;
  const TQarvOneShape FEmptyShape;
  bool FEofSeen = false;
  // A point of the open path lies beyond the integer units; its shape is refused when the path
  // is emitted.
  bool FPathOutOfRange = false;
  size_t FShapeNumber = 0;      // shapes begun so far, refused ones included
  bool FRefusingShape = false;  // the last shape begun was refused: its paths are dropped
};

void TAIReader::Feed(const char* Data, size_t Count) {
  size_t i = 0;
  while (i < Count && !FBudget.Exhausted()) {
    size_t j = i;
    while (j < Count && static_cast<unsigned char>(Data[j]) >= 32) ++j;
    FLine.append(Data + i, j - i);
    FByteCount += j - i;
    if (j == Count) return;
    ++FByteCount;  // the control byte that ends the line
    EndLine();
    i = j + 1;
  }
}

void TAIReader::EndLine() {
  ProcessLine(FLine);
  ReportProgress();
  FLine.clear();
}

void TAIReader::ReportProgress() {
  // A file that grew while being read (or reported no size) must not push the bar past 70.
  const uint64_t size = std::max(FSize, FByteCount);
  const int position = static_cast<int>(FByteCount * kProgressEnd / size);
  if (position != FProgress.Position()) {
    FProgress.SetPosition(position);
    FProgress.ProcessPendingMessages();
  }
}

bool TAIReader::IsSignature(std::string_view Line) const {
  static constexpr std::string_view kDosEps = "\xC5\xD0\xD3\xC6";
  static constexpr std::string_view kPostScript = "%!PS-Adobe-";
  return (Line.size() >= 4 && Line.substr(0, 4) == kDosEps) ||
         (Line.size() >= 12 && Line.substr(0, kPostScript.size()) == kPostScript);
}

void TAIReader::HandleComment(std::string_view Line) {
  // The trailer's last line: a file without it was cut short.
  if (Line.starts_with("%%EOF") && Line.find_first_not_of(' ', 5) == std::string_view::npos)
    FEofSeen = true;
  if (!FInSetup && Line == "%%BeginSetup") FInSetup = true;
  if (!FInProlog && Line == "%%BeginProlog") FInProlog = true;
  if (FInSetup && Line == "%%EndSetup") FInSetup = false;
  if (FInProlog && Line == "%%EndProlog") FInProlog = false;
}

void TAIReader::ProcessLine(std::string& Line) {
  if (Line.empty()) return;
  if (!FHeaderFound) {
    if (!IsSignature(Line)) return;
    FHeaderFound = true;
  }
  if (Line[0] == '%') {
    HandleComment(Line);
    return;
  }
  if (FInSetup || FInProlog) return;

  std::replace(Line.begin(), Line.end(), ',', '.');
  const size_t first = Line.find_first_not_of(' ');
  std::string_view text;
  if (first != std::string::npos) {
    text = std::string_view(Line).substr(first, Line.find_last_not_of(' ') - first + 1);
  }
  FRest.Reset(text);
  while (!FRest.AtEnd()) {
    const std::string_view token = FRest.Head();
    FRest.Cut(token);
    double number = 0.0;
    if (ParseNumber(token, number)) continue;
    HandleLayerOperator(token);
    HandlePaintOperator(token);
    HandlePathOperator(token);
  }
}

// Takes Count operands from the rest into FOperands[0 .. Count-1] in file order. A token that
// is no number fails the take and stays at the head; operands taken before stay consumed.
bool TAIReader::TakeOperands(int Count) {
  bool success = true;
  for (int k = 1; k <= Count; ++k) {
    if (FRest.AtEnd()) {
      FRest.MarkEnd();
      success = false;
      continue;
    }
    const std::string_view token = FRest.Head();
    double value = 0.0;
    if (!ParseNumber(token, value)) return false;
    FOperands[Count - k] = value;
    FRest.Cut(token);
  }
  return success;
}

void TAIReader::HandleLayerOperator(std::string_view Op) {
  if (Op == "Lb" && TakeOperands(10)) FLayerVisible = FOperands[0] == 1.0;
}

void TAIReader::HandlePaintOperator(std::string_view Op) {
  if (FPathOpen) return;
  std::optional<int32_t> color;
  bool fill = true;
  if (Op == "g" || Op == "G") {
    if (TakeOperands(1)) color = GreyColor(FOperands[0]);
    fill = Op == "g";
  } else if (Op == "k" || Op == "cmyk" || Op == "K") {
    if (TakeOperands(4)) color = CmykColor(FOperands[0], FOperands[1], FOperands[2], FOperands[3]);
    fill = Op != "K";
  } else if (Op == "x" || Op == "Xx" || Op == "X" || Op == "XX") {
    color = TakeCustomColor();
    fill = Op == "x" || Op == "Xx";
  } else if (Op == "Xa" || Op == "XA") {
    if (TakeOperands(3)) color = RgbColor(FOperands[0], FOperands[1], FOperands[2]);
    fill = Op == "Xa";
  }
  if (!color) return;
  (fill ? FFillColor : FStrokeColor) = *color;
}

// "c m y k (name) tint x" or "r g b (name) tint x"; the name may hold spaces and a bracketed
// list may stand before the tint. The tint's value is not used.
std::optional<int32_t> TAIReader::TakeCustomColor() {
  if (!TakeOperands(1)) return std::nullopt;
  FRest.SkipEnclosed(')', '(');
  FRest.SkipEnclosed(']', '[');
  if (!TakeOperands(3)) return std::nullopt;
  const double first = FOperands[0];
  if (TakeOperands(1)) return CmykColor(FOperands[0], first, FOperands[1], FOperands[2]);
  return RgbColor(first, FOperands[1], FOperands[2]);
}

// Points to 1/10000 mm. A coordinate whose units do not fit 32 bits marks the path, whose
// shape is then refused as a whole rather than drawn distorted or in part.
TPointInt TAIReader::ToPoint(double X, double Y) {
  const double x = X * kUnitsPerMm * kMillimetresPerPoint;
  const double y = Y * kUnitsPerMm * kMillimetresPerPoint;
  if (!TruncToInt32(x) || !TruncToInt32(y)) FPathOutOfRange = true;
  return TPointInt{TruncSaturated(x), TruncSaturated(y)};
}

// Appends the points of one segment, charged against the budget as they come, so a path that
// never ends cannot outgrow it.
bool TAIReader::AppendPoints(std::initializer_list<TPointInt> Points) {
  if (!FBudget.Spend(1)) return false;
  FPoints.insert(FPoints.end(), Points);
  return true;
}

// The segment operators of an open path; true when a segment was added. Every segment is a
// cubic: a straight piece has its controls on its ends.
bool TAIReader::HandleSegmentOperator(std::string_view Op) {
  const TPointInt last = FPoints.back();
  if (Op == "l" || Op == "L" || Op == "ln") {
    if (!TakeOperands(2)) return false;
    const auto end = ToPoint(FOperands[0], FOperands[1]);
    return AppendPoints({last, end, end});
  }
  if (Op == "c" || Op == "C" || Op == "cv") {
    if (!TakeOperands(6)) return false;
    return AppendPoints({ToPoint(FOperands[0], FOperands[1]), ToPoint(FOperands[2], FOperands[3]),
                         ToPoint(FOperands[4], FOperands[5])});
  }
  if (Op == "v" || Op == "V") {
    if (!TakeOperands(4)) return false;
    return AppendPoints(
        {last, ToPoint(FOperands[0], FOperands[1]), ToPoint(FOperands[2], FOperands[3])});
  }
  if (Op == "y" || Op == "Y") {
    if (!TakeOperands(4)) return false;
    const auto end = ToPoint(FOperands[2], FOperands[3]);
    return AppendPoints({ToPoint(FOperands[0], FOperands[1]), end, end});
  }
  return false;
}

// The operators that end an open path. Any other operator that adds no segment ends it as
// "N" would, except "@c", which leaves it open.
void TAIReader::HandlePathEnd(std::string_view Op) {
  int paint = -1;
  if (Op == "N" || Op == "n") {
    paint = kPaintNone;
  } else if (Op == "F" || Op == "f" || Op == "ef") {
    paint = kPaintFill;
  } else if (Op == "S" || Op == "s") {
    paint = kPaintStroke;
  } else if (Op == "B" || Op == "b") {
    paint = kPaintFillStroke;
  } else if (Op == "*" || Op == "&" || Op == "@" || Op == "clp") {
    FPathOpen = false;  // a clipping or discarded path: no shape
    return;
  } else if (Op == "@c") {
    return;
  } else {
    paint = kPaintNone;
  }
  FPathOpen = false;
  EmitPath(paint);
}

void TAIReader::HandlePathOperator(std::string_view Op) {
  if (Op == "*u") {
    FInCompound = true;
    if (FGroupDepth == 0) FStartNewShape = true;
  } else if (Op == "*U") {
    FInCompound = false;
  } else if (Op == "u") {
    FInGroup = true;
    if (FGroupDepth == 0) FStartNewShape = true;
    ++FGroupDepth;
  } else if (Op == "U") {
    --FGroupDepth;
    if (FGroupDepth == 0) FInGroup = false;
  }

  if (FPathOpen && !HandleSegmentOperator(Op)) HandlePathEnd(Op);

  if (!FPathOpen && (Op == "m" || Op == "mo") && TakeOperands(2)) {
    FPathOutOfRange = false;
    const TPointInt start = ToPoint(FOperands[0], FOperands[1]);
    FPoints.clear();
    FPoints.push_back(TPointInt{});
    FPoints.push_back(start);
    FPathOpen = true;
  }
}

// The shape being built reaches beyond the integer units: it leaves the collection, and the
// rest of its paths are dropped.
void TAIReader::RefuseShape() {
  FRefusingShape = true;
  FNotes.OutOfRange.push_back(FShapeNumber);
}

void TAIReader::EmitPath(int PaintCode) {
  const bool appendToLast = (FInGroup || FInCompound) && !FStartNewShape;
  FStartNewShape = false;
  if (!FLayerVisible || PointCount() < 2) return;
  if (!appendToLast) {
    ++FShapeNumber;
    FRefusingShape = false;
    if (FPathOutOfRange) return RefuseShape();
    // The collection's box is brought up to date once at the end (Finish) instead of after
    // every shape, which would make reading quadratic in the number of shapes.
    FShapes.AddShape(FEmptyShape, false);
    FShapeAdded = true;
  }
  if (FRefusingShape || FShapes.ShapeCount() == 0) return;
  if (FPathOutOfRange) {
    FShapes.RemoveLastShape();
    return RefuseShape();
  }

  TQarvOneShape& shape = *FShapes.GetShape(FShapes.ShapeCount() - 1);
  shape.Color().Fill = (PaintCode & kPaintStroke) != 0 ? -1 : FFillColor;
  shape.Color().Outline = FStrokeColor;

  const size_t segments = (PointCount() - 1) / 3;
  if (segments == 0 || (PointCount() - 1) % 3 != 0) return;
  // The path is added first and its chain handed over: building it aside and adding a copy would
  // copy every segment a second time. Each segment reads back as MakeCurve builds it.
  TQarvOneCurve& curve = *shape.Curve();
  curve.AddPath(TQarvOnePath());
  TSegmentChain chain;
  chain.reserve(segments);
  auto mm = [](TPointInt P) { return TNodeSimple{P.X / kUnitsPerMm, P.Y / kUnitsPerMm}; };
  for (size_t i = 0; i < segments; ++i) {
    const TPointInt* p = &FPoints[3 * i + 1];
    chain.push_back({mm(p[0]), mm(p[1]), mm(p[2]), mm(p[3])});
  }
  curve.GetPath(curve.PathCount() - 1)->AssignChain(std::move(chain));
}

void TAIReader::EndInput() {
  // The last line counts like any other, with or without a line terminator.
  if (!FLine.empty()) EndLine();
}

void TAIReader::Finish() {
  if (FShapeAdded) FShapes.UpdateBoundBox();
  FNotes.OverBudget = FBudget.Exhausted();
  FNotes.Budget = FBudget.Limit();
  FNotes.Truncated = FHeaderFound && !FEofSeen;
}

bool Fail(std::unique_ptr<TQarvShapes>& Shapes, TMessageSink& Messages, TReadProblem& Problem,
          TReadProblem Why) {
  Problem = std::move(Why);
  Shapes = std::make_unique<TQarvShapes>();
  Messages.ShowError(kErrorOpeningFile);
  return false;
}

// Ends a read: progress back to 0; a drawing without a signature line, or one over its budget,
// is a failure; otherwise what was left out is reported.
bool FinishRead(TAIReader& Reader, std::unique_ptr<TQarvShapes>& Shapes, TProgressSink& Progress,
                TMessageSink& Messages, TReadProblem& Problem) {
  Reader.EndInput();
  Progress.SetPosition(0);
  Reader.Finish();
  const TReadNotes& notes = Reader.Notes();
  if (!Reader.HeaderFound() || notes.OverBudget)
    return Fail(Shapes, Messages, Problem, RefusalOf(notes));
  ShowReadWarnings(notes, Messages);
  return true;
}

}  // namespace

bool LoadAIFile(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                TProgressSink& Progress, TMessageSink& Messages) {
  TInputFile file;
  TReadProblem problem;
  if (!file.Open(FileName, kMaxDrawingBytes))
    return Fail(Shapes, Messages, problem, {file.Problem()});
  return LoadAIInput(file, Shapes, Progress, Messages, problem);
}

bool LoadAIInput(TInputFile& File, std::unique_ptr<TQarvShapes>& Shapes, TProgressSink& Progress,
                 TMessageSink& Messages, TReadProblem& Problem) {
  Shapes = std::make_unique<TQarvShapes>();
  TAIReader reader(*Shapes, Progress, File.Size());
  std::array<char, kBlockSize> block;
  size_t count = 0;
  do {
    if (!File.Read(block.data(), block.size(), count)) {
      Progress.SetPosition(0);
      return Fail(Shapes, Messages, Problem, {File.Problem()});
    }
    reader.Feed(block.data(), count);
  } while (count > 0);
  return FinishRead(reader, Shapes, Progress, Messages, Problem);
}

bool LoadAIBytes(std::string_view Bytes, std::unique_ptr<TQarvShapes>& Shapes,
                 TProgressSink& Progress, TMessageSink& Messages, TReadProblem& Problem) {
  Shapes = std::make_unique<TQarvShapes>();
  TAIReader reader(*Shapes, Progress, Bytes.size());
  reader.Feed(Bytes.data(), Bytes.size());
  return FinishRead(reader, Shapes, Progress, Messages, Problem);
}

}  // namespace plavo
