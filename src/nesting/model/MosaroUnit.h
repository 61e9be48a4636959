// Records of the nesting engine and the engine state that a run works on.
// Lengths are millimetres; a sheet is a raster of 1 mm cells with cell (0, 0) at the lower left
// of the usable sheet. Integer node coordinates are millimetres x 10000 until the shape analysis
// turns them into raster offsets (whole cells) from the shape centre.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "nesting/model/BooleanMatrix.h"
#include "nesting/model/CopyRows.h"
#include "core/NestControl.h"

namespace plavo {

// Parameters of one run. Stored whole in every result, so the field order and widths are part
// of the result format: 48 bytes.
struct TeNestParameters {
  uint16_t Media_W = 0;        // usable sheet width in cells; the raster has Media_W + 1 columns
  uint16_t Media_H = 0;        // usable sheet height in cells; the raster has Media_H + 1 rows
  uint16_t Padding = 0;        // border band a new sheet starts with as occupied
  bool Origin_point = false;   // true: search from the left edge, false: from the right edge
  uint16_t Media_ByColor = 0;  // 0 no, 1 different sheets, 2 same sheet, 3 same sheet no mix
  bool Media_Container = false;
  uint16_t Approximation = 0;  // 0 Auto, 1 High, 2 Middle (text), 3 Draft (boxes)
  uint16_t Pass_OXY = 0;       // coarse step of the position search, in cells
  uint16_t Pass_Angle = 0;     // not read by the engine
  uint16_t Distance = 0;       // minimum distance between shapes, in cells
  bool PlaceInside_Enable = false;
  bool G_Enable = false;  // search for the best result
  uint16_t G_Group = 0;   // shapes per batch of the search
  uint16_t G_Mut = 0;     // trial orders per batch
  bool G_Mirror = false;  // mirrored shapes are not offered: always false, kept for the layout
  bool PreserveOrd = false;
  uint16_t Rotate = 0;  // fix angle: 0 Auto, 1 90 deg., 2 180 deg., 3 do not rotate
  bool Multiply = false;
  uint16_t Multiply_Count = 0;
  bool Align_Left_En = false;
  int32_t Align_Left_Percent = 0;  // 30, 60 or 90
  bool G_First = false;
  uint16_t Orientation_CB = 0;   // block order: 0 L->R, 1 R->L, 2 B->T, 3 T->B
  uint16_t Orientation_Dis = 0;  // distance between sheets in the block layout, mm
  uint16_t Units = 0;
};
static_assert(sizeof(TeNestParameters) == 48, "the parameter record is 48 bytes");

struct TNestNode {
  int32_t x = 0;
  int32_t y = 0;
  double q = 0.0;  // distance from the centre, mm
  double a = 0.0;  // direction from the centre, radians, including the base orientation
};
using TNestNodeArr = std::vector<TNestNode>;

struct TNestNodeSimple {
  int32_t x = 0;
  int32_t y = 0;
};
using TNestNodeSimpleArr = std::vector<TNestNodeSimple>;

struct TBezierNode {
  double x = 0.0;
  double y = 0.0;
};
using TBezierNodeArr = std::vector<TBezierNode>;

// The sides in the order Left, Right, Bottom, Top: not TRectDbl's. A constructor of its own keeps
// brace lists out, so a TRectDbl's four numbers never fill it silently; MakeLRBT names the order.
struct TNestRect {
  double Left = 0.0;
  double Right = 0.0;
  double Bottom = 0.0;
  double Top = 0.0;

  constexpr TNestRect() = default;
  static constexpr TNestRect MakeLRBT(double L, double R, double B, double T) {
    TNestRect box;
    box.Left = L;
    box.Right = R;
    box.Bottom = B;
    box.Top = T;
    return box;
  }
};

struct TNestRectInt {
  int32_t Left = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  int32_t Top = 0;
};

// Attr bits of a sub-path.
constexpr uint16_t kSbpClosed = 0x1;
constexpr uint16_t kSbpBezier = 0x10;
constexpr uint16_t kSbpOuter = 0x100;

struct TNestSbpOneRec {
  uint16_t Attr = 0;
  TNestNode Center;  // shape centre in mm x 10000 (x, y only)
  int32_t NodeCount = 0;
  TNestNodeArr Node;  // a closed sub-path repeats its first node at the end
  uint16_t BezierCount = 0;
  TBezierNodeArr Bezier;  // start node, then three points per cubic
  TNestRect Rect;         // bounding box in mm
};
using TNestSbpOneRecArr = std::vector<TNestSbpOneRec>;

struct TCutAngle;  // CutOutline.h

struct TNestAngleOneRect {
  double Value = 0.0;  // radians
  TNestRectInt Rect;   // box of the nodes and of the outline as cut turned by Value, cells
                       // relative to the centre
  std::shared_ptr<const TCutAngle> Cut;  // the outline as cut at this angle; shared by copies
};

struct TNestAngleRect {
  uint8_t Count = 0;
  std::vector<TNestAngleOneRect> Item;
};

struct TNestPlacedShape {
  int32_t x = 0;  // sheet cell of the shape centre
  int32_t y = 0;
  double a = 0.0;  // rotation in radians (Value of the chosen trial angle)
  int32_t AngC = 0;
  bool EnableToPlace = false;
  bool placed = false;
  int32_t sheetNo = 0;
  int32_t VeryMinY = 0;
  int32_t TopY = 0;
};

struct TNestOriginalData {
  double CenterX = 0.0;
  double CenterY = 0.0;
  double Width = 0.0;
  double Height = 0.0;
  double Scale = 0.0;  // net area in mm2, holes negative
  int32_t Color = 0;
  double StartAngle = 0.0;
};

// UserAttr codes.
constexpr int32_t kUserProcess = 0x1;
constexpr int32_t kUserApproxMask = 0xF0;
constexpr int32_t kUserAngleMask = 0xF00;
constexpr int32_t kUserContainer = 0x1000;
constexpr int32_t kUserContainerMask = 0xF000;
constexpr int32_t kUserAttrDefault = 273;  // process, default approximation, default angle

struct TNestOneRec {
  int32_t SbpCount = 0;
  TNestSbpOneRecArr Sbp;         // the active outline of this run
  int32_t SbpLastFillType = -1;  // 1 SbpBez, 2 SbpRec, 3 SbpCom, -1 none
  bool CenterIsOnShape = false;
  int32_t LooksLike = 0;
  double OptimalAngle = 0.0;  // degrees
  TNestAngleRect AnglesSRR;
  TNestPlacedShape Place;
  TNestPlacedShape PlaceTemp;
  std::array<TNestNode, 8> CPS{};
  TNestOriginalData Original;
  int32_t SbpBezCount = 0;
  TNestSbpOneRecArr SbpBez;
  int32_t SbpRecCount = 0;
  TNestSbpOneRecArr SbpRec;
  int32_t SbpComCount = 0;
  TNestSbpOneRecArr SbpCom;
  bool SbpBezAdded = false;
  bool SbpRecAdded = false;
  bool SbpComAdded = false;
  int32_t AnalyzeVal = 1;  // 1 ordinary, 2 text-like
  int32_t UserAttr = 0;
  // Records of one group (>= 0) are copies of one shape: the first of them is analysed and the
  // others take its analysis, and the optimiser never swaps two of them. -1: a shape of its own.
  int32_t CopyGroup = -1;
};

struct TNestRecords {
  uint16_t Count = 0;
  std::vector<TNestOneRec> Shape;
};

struct TColorSingleOrder {
  int32_t Color = 0;
  int32_t ShapeCount = 0;
  std::vector<int32_t> Shape;
};

struct TColorOrder {
  int32_t Count = 0;
  std::vector<TColorSingleOrder> Item;
};

using TOrder = std::vector<int32_t>;

struct TGenOneShape {
  int32_t ShN = 0;
};

struct TGenSingleOrder {
  int32_t ShapeCount = 0;
  std::vector<TGenOneShape> Shape;
};
using TGenSingleOrderArr = std::vector<TGenSingleOrder>;

struct TGenOrder {
  int32_t Count = 0;
  TGenSingleOrderArr Item;
};

struct TBlockSingle {
  bool EnableToPlace = false;
  TBooleanMatrix m;  // (Media_W + 1) x (Media_H + 1) cells
  TBezierNode Position;
  bool ContourCreated = false;
  bool HasShape = false;
};

struct TBlock {
  int32_t Count = 0;
  std::vector<TBlockSingle> Item;
};

// One run as it is kept in the result list: everything needed to show, compare, check and write
// it, without the engine that made it. Place, OptimalAngles, NetAreas and ShapeIndex hold one
// entry per record.
struct TOneNestingResult {
  TeNestParameters P;
  std::vector<TNestPlacedShape> Place;
  std::vector<double> OptimalAngles;  // degrees
  TBlock Block;                       // sheet positions; the stored copy leaves every raster empty
  // The drawing's shape each record stands for: a container is moved into record 0, so a
  // record's index need not be its shape's.
  std::vector<int32_t> ShapeIndex;
  std::vector<double> NetAreas;  // Original.Scale of each record as this run measured it, mm2
  // Per record: left out of the run on purpose ("Process shape" unticked), so it is no shape
  // that found no place. Empty in results made before the run kept it: none left out.
  std::vector<bool> LeftOut;
  // Per record: which copy of its shape it is (0 the first). Empty: every record the first.
  std::vector<int32_t> CopyIndex;
};

struct TDrawingFrame {
  double Left = 0.0;
  double Right = 0.0;
  double Width = 0.0;
  double Height = 0.0;
};

// Where the first failure of a run or of building the records came from.
enum class TFailureSource : uint8_t {
  None,
  Drawing,    // a shape of the drawing could not be prepared
  Engine,     // the engine itself failed (settings it cannot work with, memory, a fault)
  Optimiser,  // the optimiser's search or compaction failed; the layout before it was kept
};

// A shape that could not be prepared for nesting, and why. Records are built in the drawing's
// order, so when they are built record i stands for shape i.
struct TShapeLoss {
  int32_t Shape = -1;
  std::string Why;
};

struct TNestFailure {
  TFailureSource Source = TFailureSource::None;
  std::string Message;           // what failed and where; empty when nothing did
  std::vector<TShapeLoss> Lost;  // the shapes building the records lost, in the drawing's order
};

// The most records one engine takes: TNestRecords.Count is a Word.
constexpr int kMaxNestRecords = 65535;

// The lengths a run keeps as the user typed them, mm; TeNestParameters holds them in whole
// cells, as the result format has them.
struct TExactLengths {
  double Distance = 0.0;  // minimum distance between shapes
  double Padding = 0.0;   // edge padding
};

// The state one nesting engine works on. Owned by its user (the job, a test); several can
// exist at once.
struct TEngineState {
  TeNestParameters NestParams;
  TExactLengths Exact;
  TNestRecords NestRecords;
  TColorOrder ColorOrder;
  TGenOrder GenOrder;
  TBlock Blocks;
  TBlock SavedBlocks;
  TDrawingFrame DrawingFrame;

  // The first failure since it was last cleared. The error flag is derived from it.
  TNestFailure Failure;
  bool ErrorFlag() const { return Failure.Source != TFailureSource::None; }

  // Where progress goes and whence Stop and "Skip searching." come; not owned, may be null
  // (no progress, no requests). Only the thread that runs the engine reports progress through
  // it; helper threads read only its requests.
  TNestControl* Control = nullptr;

  // Random generator of the search for the best result. Seeded from the clock unless the
  // user of the engine asks for a seed (reproducible runs).
  bool RandomSeeded = false;
  uint64_t RandomSeed = 0;
  std::mt19937_64 Random;
  // Number of threads the search may use; 0 means every core.
  int Threads = 0;
  // What the position search proved about the copies of a shape (CopyRows.h).
  TCopyRows CopySearch;
};

void InitRecords(TEngineState& E, int n);
// Per record: the earlier record of its copy group that it takes its analysis from, or -1 for a
// record analysed itself (no group, or the group's first).
std::vector<int> CopySources(const TEngineState& E);
// Record i of R: which copy of its shape it is.
inline int CopyIndexOf(const TOneNestingResult& R, size_t i) {
  return i < R.CopyIndex.size() ? R.CopyIndex[i] : 0;
}
void ClearEngineState(TEngineState& E);
void ResetPlace(TEngineState& E, int i);
// Sets the error flag; the first failure since the flag was cleared keeps its source and message.
void ReportFailure(TEngineState& E, TFailureSource Source, std::string Message);
// Shape Shape (record Shape, while the records are built) could not be prepared: a failure of
// the drawing, and the shape joins the lost ones.
void ReportLostShape(TEngineState& E, int Shape, std::string Why);
// Clears the error flag and the failure with it.
void ClearFailure(TEngineState& E);

// The first Count items of a record's counted array, never more than it holds.
template <typename T>
std::span<const T> CountedItems(const std::vector<T>& Items, int64_t Count) {
  const size_t n = Count > 0 ? std::min(static_cast<size_t>(Count), Items.size()) : 0;
  return std::span<const T>(Items.data(), n);
}
template <typename T>
std::span<T> CountedItems(std::vector<T>& Items, int64_t Count) {
  const size_t n = Count > 0 ? std::min(static_cast<size_t>(Count), Items.size()) : 0;
  return std::span<T>(Items.data(), n);
}

// The counted arrays of the records, each read through CountedItems.
inline size_t NodeCountOf(const TNestSbpOneRec& Sbp) {
  return CountedItems(Sbp.Node, Sbp.NodeCount).size();
}
inline int AngleTotal(const TNestOneRec& Rec) {
  return static_cast<int>(CountedItems(Rec.AnglesSRR.Item, Rec.AnglesSRR.Count).size());
}
inline int RecordCount(const TEngineState& E) {
  return static_cast<int>(CountedItems(E.NestRecords.Shape, E.NestRecords.Count).size());
}
inline int ColorGroupCount(const TEngineState& E) {
  return static_cast<int>(CountedItems(E.ColorOrder.Item, E.ColorOrder.Count).size());
}

}  // namespace plavo
