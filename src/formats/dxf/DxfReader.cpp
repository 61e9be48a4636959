// Two passes: the group stream is cut into records (one per code 0) and sorted into header,
// layers, blocks and model-space entities; then the entities become paths in millimetres,
// blocks expanded where they are inserted, and the paths are assembled into shapes.
#include "formats/dxf/DxfReader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

#include "geometry/ContourAssembly.h"
#include "formats/dxf/DxfColor.h"
#include "formats/dxf/DxfGroups.h"
#include "formats/dxf/DxfNotCut.h"
#include "formats/dxf/DxfSpline.h"

namespace plavo {

namespace {

// Blocks inserting other blocks: deeper than any real drawing, and arrays of blocks no larger than
// this (the segments they expand to are bounded by SegmentBudget as well).
constexpr int kMaxInsertDepth = 16;
constexpr int64_t kMaxArrayCells = 1'000'000;
constexpr size_t kMaxListCount = 10'000'000;
constexpr int kProgressRead = 35;
constexpr int kProgressConverted = 60;
constexpr int kProgressEnd = 70;

struct TDxfRecord {
  std::string_view Type;
  std::vector<TDxfGroup> Groups;

  std::string_view Text(int Code, std::string_view Default = {}) const {
    for (const TDxfGroup& g : Groups)
      if (g.Code == Code) return g.Value;
    return Default;
  }
  double Real(int Code, double Default = 0.0) const {
    for (const TDxfGroup& g : Groups) {
      double v = 0.0;
      if (g.Code == Code) return DxfReal(g.Value, v) ? v : Default;
    }
    return Default;
  }
  int64_t Integer(int Code, int64_t Default = 0) const {
    for (const TDxfGroup& g : Groups) {
      int64_t v = 0;
      if (g.Code == Code) return DxfInteger(g.Value, v) ? v : Default;
    }
    return Default;
  }
  bool Has(int Code) const {
    return std::any_of(Groups.begin(), Groups.end(),
                       [&](const TDxfGroup& g) { return g.Code == Code; });
  }
};

struct TLayer {
  int32_t Color = 0;
  // Switched off (negative colour) or frozen: a layer that is not shown holds no parts.
  bool Hidden = false;
  // Not to plot (such as the sheet outlines our writer puts on a layer of their own), or a layer
  // of construction lines: its lines are not cut, and skipped with a count.
  bool NotCut = false;
  std::string Linetype;
};

struct TBlock {
  TNodeSimple Base;
  std::vector<TDxfRecord> Records;
};

struct TDxfDocument {
  double UnitMm = 1.0;
  std::unordered_map<std::string, TLayer> Layers;
  std::unordered_map<std::string, TBlock> Blocks;
  std::vector<TDxfRecord> Entities;
};

// ---------------------------------------------------------------- first pass: records

class TDocumentReader {
 public:
  TDocumentReader(std::string_view Bytes, TProgressSink& Progress)
      : FGroups(Bytes), FSize(Bytes.size()), FProgress(Progress) {}

  // False for a broken group stream. A file that ends before its EOF record is read as far as
  // it goes and marked Truncated.
  bool Read(TDxfDocument& Doc, bool& Truncated) {
    TDxfRecord record;
    TDxfGroup g;
    bool started = false;
    Truncated = false;
    while (FGroups.Next(g)) {
      if (g.Code != 0) {
        if (started) record.Groups.push_back(g);
        continue;
      }
      if (started && !Finish(record, Doc)) return true;  // EOF
      record.Type = g.Value;
      record.Groups.clear();
      started = true;
      ReportProgress();
    }
    if (FGroups.Failed()) return false;
    Truncated = !(started && record.Type == "EOF");
    if (started) Finish(record, Doc);
    return true;
  }

 private:
  void ReportProgress() {
    const int position =
        static_cast<int>(FGroups.Offset() * kProgressRead / std::max<size_t>(FSize, 1));
    if (position == FProgress.Position()) return;
    FProgress.SetPosition(position);
    FProgress.ProcessPendingMessages();
  }

  // Files the record away; false at EOF.
  bool Finish(TDxfRecord& R, TDxfDocument& Doc) {
    if (R.Type == "EOF") return false;
    if (R.Type == "SECTION") {
      FSection = R.Text(2);
      if (FSection == "HEADER") Header(R, Doc);
      return true;
    }
    if (R.Type == "ENDSEC") {
      FSection = {};
      return true;
    }
    if (FSection == "TABLES" && R.Type == "LAYER") {
      Layer(R, Doc);
    } else if (FSection == "BLOCKS") {
      if (R.Type == "BLOCK") {
        FBlock = &Doc.Blocks[std::string(R.Text(2))];
        *FBlock = TBlock{{R.Real(10), R.Real(20)}, {}};
      } else if (R.Type == "ENDBLK") {
        FBlock = nullptr;
      } else if (FBlock != nullptr) {
        FBlock->Records.push_back(std::move(R));
      }
    } else if (FSection == "ENTITIES") {
      Doc.Entities.push_back(std::move(R));
    }
    return true;
  }

  static void Header(const TDxfRecord& R, TDxfDocument& Doc) {
    for (size_t i = 0; i + 1 < R.Groups.size(); ++i) {
      int64_t units = 0;
      if (R.Groups[i].Code == 9 && R.Groups[i].Value == "$INSUNITS" && R.Groups[i + 1].Code == 70 &&
          DxfInteger(R.Groups[i + 1].Value, units))
        Doc.UnitMm = DxfUnitMm(units);
    }
  }

  static void Layer(const TDxfRecord& R, TDxfDocument& Doc) {
    TLayer layer;
    const int64_t index = R.Integer(62, 7);
    layer.Color = R.Has(420) ? ColorOfTrueColor(R.Integer(420))
                             : DxfIndexColor(static_cast<int>(std::abs(index)));
    layer.Hidden = index < 0 || (R.Integer(70) & 1) != 0;
    layer.NotCut = R.Integer(290, 1) == 0;
    layer.Linetype = R.Text(6);
    Doc.Layers[std::string(R.Text(2))] = layer;
  }

  TDxfGroupReader FGroups;
  size_t FSize;
  TProgressSink& FProgress;
  std::string_view FSection;
  TBlock* FBlock = nullptr;
};

// ---------------------------------------------------------------- second pass: geometry

struct TInsertContext {
  TAffine Transform;  // block units to page millimetres
  int32_t BlockColor = 0;
  std::string_view BlockLinetype;  // of the insert, for entities drawn BYBLOCK
  int Depth = 0;
};

bool SameNoCase(std::string_view A, std::string_view B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
           return std::toupper(static_cast<unsigned char>(a)) ==
                  std::toupper(static_cast<unsigned char>(b));
         });
}

struct TVertex {
  TNodeSimple P;
  double Bulge = 0.0;
};

// The arc of a polyline piece with a bulge (the tangent of a quarter of its angle).
void AppendBulge(std::vector<TCubic>& Out, TNodeSimple A, TNodeSimple B, double Bulge,
                 double Scale) {
  const double chord = Distance(A, B);
  if (Bulge == 0.0 || chord == 0.0) {
    if (chord > 0.0) Out.push_back(LineCubic(A, B));
    return;
  }
  const double offset = chord / 2.0 * (1.0 - Bulge * Bulge) / (2.0 * Bulge);
  const TNodeSimple centre{(A.X + B.X) / 2.0 - (B.Y - A.Y) / chord * offset,
                           (A.Y + B.Y) / 2.0 + (B.X - A.X) / chord * offset};
  const double radius = Distance(A, centre);
  const double start = std::atan2(A.Y - centre.Y, A.X - centre.X);
  const size_t first = Out.size();
  AppendEllipticArc(Out, centre, radius, radius, 0.0, start, 4.0 * std::atan(Bulge), Scale);
  Out[first].P0 = A;
  Out.back().P3 = B;
}

double Radians(double Degrees) {
  return Degrees * std::numbers::pi / 180.0;
}

// The counter-clockwise sweep from Start to End, in (0, 2 pi].
double SweepBetween(double Start, double End) {
  double sweep = std::fmod(End - Start, 2 * std::numbers::pi);
  if (sweep <= 1e-12) sweep += 2 * std::numbers::pi;
  return sweep;
}

class TEntityConverter {
 public:
  TEntityConverter(const TDxfDocument& Doc, size_t FileBytes, TProgressSink& Progress,
                   TReadNotes& Notes)
      : FDoc(Doc), FBudget(FileBytes), FProgress(Progress), FNotes(Notes) {}

  bool Run() {
    TInsertContext top;
    top.Transform = TAffine::Scale(FDoc.UnitMm, FDoc.UnitMm);
    Records(FDoc.Entities, top, true);
    FNotes.OverBudget = FBudget.Exhausted();
    FNotes.Budget = FBudget.Limit();
    return !FFailed;
  }

  std::vector<TDrawingPath>& Paths() { return FPaths; }

 private:
  void Records(const std::vector<TDxfRecord>& List, const TInsertContext& Ctx, bool Top) {
    const TDxfRecord* polyline = nullptr;
    std::vector<TVertex> vertices;
    for (size_t i = 0; i < List.size() && Spend(1); ++i) {
      const TDxfRecord& r = List[i];
      if (polyline != nullptr) {
        if (r.Type == "VERTEX") {
          // Frame points of a spline-fitted polyline and the faces of a polyface mesh are no
          // part of the outline.
          if ((r.Integer(70) & (16 | 128)) == 0)
            vertices.push_back({{r.Real(10), r.Real(20)}, r.Real(42)});
          continue;
        }
        Polyline(*polyline, vertices, (polyline->Integer(70) & 1) != 0, Ctx);
        polyline = nullptr;
        vertices.clear();
        if (r.Type == "SEQEND") continue;
      }
      if (r.Type == "POLYLINE") {
        if ((r.Integer(70) & (16 | 64)) == 0) polyline = &r;
        continue;
      }
      Entity(r, Ctx);
      if (Top && i % 4096 == 0) {
        ReportProgress(kProgressRead +
                       static_cast<int>(i * (kProgressConverted - kProgressRead) / List.size()));
      }
    }
    if (polyline != nullptr) Polyline(*polyline, vertices, (polyline->Integer(70) & 1) != 0, Ctx);
  }

  void ReportProgress(int Position) {
    if (Position == FProgress.Position()) return;
    FProgress.SetPosition(Position);
    FProgress.ProcessPendingMessages();
  }

  // The linetype the entity is drawn in, its layer's or its block's where it says so.
  std::string_view LinetypeOf(const TDxfRecord& R, const TInsertContext& Ctx) const {
    const std::string_view own = R.Text(6, "BYLAYER");
    if (SameNoCase(own, "BYBLOCK")) return Ctx.BlockLinetype;
    if (!SameNoCase(own, "BYLAYER")) return own;
    const auto layer = FDoc.Layers.find(std::string(R.Text(8, "0")));
    return layer != FDoc.Layers.end() ? std::string_view(layer->second.Linetype) : own;
  }

  bool NotCut(const TDxfRecord& R, const TInsertContext& Ctx, const TLayer* Layer) const {
    return (Layer != nullptr && Layer->NotCut) || IsNotCutLayer(R.Text(8, "0")) ||
           IsNotCutLinetype(LinetypeOf(R, Ctx));
  }

  // The entity's colour, or nothing when it lies on a hidden layer or in paper space, or is not
  // to be cut (counted).
  bool Visible(const TDxfRecord& R, const TInsertContext& Ctx, int32_t& Color) const {
    if (R.Integer(67) == 1) return false;
    const auto layer = FDoc.Layers.find(std::string(R.Text(8, "0")));
    if (layer != FDoc.Layers.end() && layer->second.Hidden) return false;
    if (NotCut(R, Ctx, layer != FDoc.Layers.end() ? &layer->second : nullptr)) {
      ++FNotes.NotCut;
      return false;
    }
    const int64_t index = R.Integer(62, 256);
    if (R.Has(420))
      Color = ColorOfTrueColor(R.Integer(420));
    else if (index == 0)
      Color = Ctx.BlockColor;
    else if (index > 0 && index < 256)
      Color = DxfIndexColor(static_cast<int>(index));
    else
      Color = layer != FDoc.Layers.end() ? layer->second.Color : 0;
    return true;
  }

  // Entities drawn in an object coordinate system seen from below (extrusion Z negative, as
  // mirrored parts are stored) have their X axis reversed.
  static TAffine ObjectSystem(const TDxfRecord& R) {
    return R.Real(230, 1.0) < 0 ? TAffine::Scale(-1, 1) : TAffine();
  }

  // Counts work against the budget: every segment built and every record converted (an array of
  // blocks holding arrays of blocks that draw nothing builds no segment but runs without end).
  bool Spend(size_t Work) {
    if (!FBudget.Spend(Work)) FFailed = true;
    return !FFailed;
  }

  void Emit(std::vector<TCubic> Segments, bool Closed, int32_t Color, const TAffine& T) {
    if (Segments.empty()) return;
    if (!Spend(Segments.size())) return;
    for (TCubic& c : Segments) c = TransformCubic(T, c);
    if (Closed) Segments.back().P3 = Segments.front().P0;
    TDrawingPath path;
    path.Segments = ToChain(Segments);
    path.Color.Outline = Color;
    path.Closed = Closed;
    FPaths.push_back(std::move(path));
  }

  void Entity(const TDxfRecord& R, const TInsertContext& Ctx) {
    const std::string_view type = R.Type;
    if (type == "TEXT" || type == "MTEXT") {
      ++FNotes.SkippedTexts;
      return;
    }
    int32_t color = 0;
    if (!Visible(R, Ctx, color)) return;
    const TAffine ocs = Ctx.Transform.Then(ObjectSystem(R));
    const double stretch = Ctx.Transform.MaxStretch();
    if (type == "LINE") {
      const TNodeSimple a{R.Real(10), R.Real(20)}, b{R.Real(11), R.Real(21)};
      if (!SamePoint(a, b)) Emit({LineCubic(a, b)}, false, color, Ctx.Transform);
    } else if (type == "ARC" || type == "CIRCLE") {
      const double radius = R.Real(40);
      if (!(radius > 0)) return;
      const bool circle = type == "CIRCLE";
      const double start = circle ? 0.0 : Radians(R.Real(50));
      const double sweep = circle ? 2 * std::numbers::pi : SweepBetween(start, Radians(R.Real(51)));
      std::vector<TCubic> s;
      AppendEllipticArc(s, {R.Real(10), R.Real(20)}, radius, radius, 0.0, start, sweep, stretch);
      Emit(std::move(s), circle, color, ocs);
    } else if (type == "ELLIPSE") {
      Ellipse(R, color, Ctx);
    } else if (type == "LWPOLYLINE") {
      LightPolyline(R, color, Ctx);
    } else if (type == "SPLINE") {
      Spline(R, color, Ctx);
    } else if (type == "INSERT") {
      Insert(R, color, Ctx);
    }
  }

  void Ellipse(const TDxfRecord& R, int32_t Color, const TInsertContext& Ctx) {
    const TNodeSimple major{R.Real(11), R.Real(21)};
    const double rx = std::hypot(major.X, major.Y);
    const double ratio = R.Real(40, 1.0);
    if (!(rx > 0) || !(ratio > 0)) return;
    // Seen from below the parameter runs clockwise: the minor axis points the other way.
    const double ry = rx * ratio * (R.Real(230, 1.0) < 0 ? -1.0 : 1.0);
    const double start = R.Real(41, 0.0);
    const double sweep = SweepBetween(start, R.Real(42, 2 * std::numbers::pi));
    std::vector<TCubic> s;
    AppendEllipticArc(s, {R.Real(10), R.Real(20)}, rx, ry, std::atan2(major.Y, major.X), start,
                      sweep, Ctx.Transform.MaxStretch());
    Emit(std::move(s), sweep >= 2 * std::numbers::pi - 1e-9, Color, Ctx.Transform);
  }

  void LightPolyline(const TDxfRecord& R, int32_t Color, const TInsertContext& Ctx) {
    std::vector<TVertex> vertices;
    for (const TDxfGroup& g : R.Groups) {
      double v = 0.0;
      if (g.Code != 10 && g.Code != 20 && g.Code != 42) continue;
      if (!DxfReal(g.Value, v)) continue;
      if (g.Code == 10)
        vertices.push_back({{v, 0.0}, 0.0});
      else if (vertices.empty())
        continue;  // a value before the first vertex has no owner
      else if (g.Code == 20)
        vertices.back().P.Y = v;
      else
        vertices.back().Bulge = v;
      if (vertices.size() > kMaxListCount) return;
    }
    Polyline(R, vertices, (R.Integer(70) & 1) != 0, Ctx, Color);
  }

  void Polyline(const TDxfRecord& R, const std::vector<TVertex>& V, bool Closed,
                const TInsertContext& Ctx, int32_t Color = -2) {
    if (Color == -2 && !Visible(R, Ctx, Color)) return;
    if (V.size() < 2) return;
    const double stretch = Ctx.Transform.MaxStretch();
    std::vector<TCubic> s;
    for (size_t i = 0; i + 1 < V.size(); ++i)
      AppendBulge(s, V[i].P, V[i + 1].P, V[i].Bulge, stretch);
    if (Closed) AppendBulge(s, V.back().P, V.front().P, V.back().Bulge, stretch);
    const bool closed = Closed && !s.empty() && SamePoint(s.back().P3, s.front().P0);
    Emit(std::move(s), closed, Color, Ctx.Transform.Then(ObjectSystem(R)));
  }

  void Spline(const TDxfRecord& R, int32_t Color, const TInsertContext& Ctx) {
    TBSpline spline;
    spline.Degree = static_cast<int>(std::clamp<int64_t>(R.Integer(71, 3), 0, 100));
    std::vector<TNodeSimple> fit;
    for (const TDxfGroup& g : R.Groups) {
      double v = 0.0;
      if (!DxfReal(g.Value, v)) continue;
      if (g.Code == 40)
        spline.Knots.push_back(v);
      else if (g.Code == 41)
        spline.Weights.push_back(v);
      else if (g.Code == 10)
        spline.Controls.push_back({v, 0.0});
      else if (g.Code == 20 && !spline.Controls.empty())
        spline.Controls.back().Y = v;
      else if (g.Code == 11)
        fit.push_back({v, 0.0});
      else if (g.Code == 21 && !fit.empty())
        fit.back().Y = v;
    }
    const double stretch = Ctx.Transform.MaxStretch();
    std::vector<TCubic> s =
        SplineCubics(spline, kJoinTolerance / std::max(stretch, 1e-12), FBudget.Left());
    if (s.empty() && spline.Controls.empty()) {
      // A spline given by its fit points only: the points joined by straight pieces.
      for (size_t i = 1; i < fit.size(); ++i) s.push_back(LineCubic(fit[i - 1], fit[i]));
    }
    const bool closed = (R.Integer(70) & 1) != 0 && !s.empty() &&
                        Distance(s.back().P3, s.front().P0) * stretch <= kJoinTolerance;
    Emit(std::move(s), closed, Color, Ctx.Transform);
  }

  void Insert(const TDxfRecord& R, int32_t Color, const TInsertContext& Ctx) {
    const auto block = FDoc.Blocks.find(std::string(R.Text(2)));
    if (block == FDoc.Blocks.end()) return;
    const TBlock& inserted = block->second;
    // A block that inserts itself, directly or through others, would never end: it is drawn
    // where it is first inserted, without its inserts of itself, and the rest is read.
    if (std::find(FExpanding.begin(), FExpanding.end(), &inserted) != FExpanding.end()) {
      FNotes.SelfInsert = true;
      return;
    }
    // Inserts nested deeper than any drawing needs, and arrays larger than any budget allows,
    // are left out with a warning; the rest of the drawing is read.
    if (Ctx.Depth >= kMaxInsertDepth) {
      FNotes.DeepInserts = true;
      return;
    }
    const int64_t columns = std::max<int64_t>(1, R.Integer(70, 1));
    const int64_t rows = std::max<int64_t>(1, R.Integer(71, 1));
    // Each count on its own first: their product may not fit 64 bits.
    if (columns > kMaxArrayCells || rows > kMaxArrayCells || columns * rows > kMaxArrayCells) {
      FNotes.HugeArrays = true;
      return;
    }
    const TAffine place = Ctx.Transform.Then(ObjectSystem(R))
                              .Then(TAffine::Translate(R.Real(10), R.Real(20)))
                              .Then(TAffine::Rotate(Radians(R.Real(50))));
    const TAffine scale = TAffine::Scale(R.Real(41, 1.0), R.Real(42, 1.0))
                              .Then(TAffine::Translate(-inserted.Base.X, -inserted.Base.Y));
    FExpanding.push_back(&inserted);
    for (int64_t row = 0; row < rows && !FFailed; ++row) {
      for (int64_t column = 0; column < columns && !FFailed; ++column) {
        TInsertContext inner;
        inner.Transform =
            place.Then(TAffine::Translate(column * R.Real(44), row * R.Real(45))).Then(scale);
        inner.BlockColor = Color;
        inner.BlockLinetype = LinetypeOf(R, Ctx);
        inner.Depth = Ctx.Depth + 1;
        if (!Spend(1)) break;  // an empty block, inserted a million times, is work too
        Records(inserted.Records, inner, false);
      }
    }
    FExpanding.pop_back();
  }

  const TDxfDocument& FDoc;
  TSegmentBudget FBudget;
  TProgressSink& FProgress;
  TReadNotes& FNotes;
  std::vector<TDrawingPath> FPaths;
  std::vector<const TBlock*> FExpanding;  // the blocks being inserted, outermost first
  bool FFailed = false;
};

}  // namespace

double DxfUnitMm(int64_t InsUnits) {
  switch (InsUnits) {
    case 1:
      return 25.4;  // inches
    case 2:
      return 304.8;  // feet
    case 3:
      return 1609344.0;  // miles
    case 5:
      return 10.0;  // centimetres
    case 6:
      return 1000.0;  // metres
    case 7:
      return 1000000.0;  // kilometres
    case 8:
      return 25.4e-6;  // microinches
    case 9:
      return 0.0254;  // mils
    case 10:
      return 914.4;  // yards
    case 11:
      return 1e-7;  // angstroms
    case 12:
      return 1e-6;  // nanometres
    case 13:
      return 1e-3;  // microns
    case 14:
      return 100.0;  // decimetres
    case 15:
      return 10000.0;  // decametres
    case 16:
      return 100000.0;  // hectometres
    default:
      return 1.0;  // millimetres, unitless and the astronomical ones
  }
}

int32_t DxfIndexColor(int Index) {
  auto pack = [](int R, int G, int B) { return R + 256 * G + 65536 * B; };
  static constexpr int kBasic[10][3] = {{0, 0, 0},       {255, 0, 0},    {255, 255, 0}, {0, 255, 0},
                                        {0, 255, 255},   {0, 0, 255},    {255, 0, 255}, {0, 0, 0},
                                        {128, 128, 128}, {192, 192, 192}};
  if (Index >= 1 && Index <= 9) return pack(kBasic[Index][0], kBasic[Index][1], kBasic[Index][2]);
  if (Index >= 250 && Index <= 255) {
    static constexpr int kGrey[6] = {51, 91, 132, 173, 214, 255};
    const int g = kGrey[Index - 250];
    return pack(g, g, g);
  }
  if (Index < 10 || Index > 249) return 0;
  // 24 hues in steps of 15 degrees; the last digit picks the brightness, odd ones half
  // saturated.
  static constexpr double kValue[5] = {1.0, 0.65, 0.5, 0.3, 0.15};
  const double hue = (Index / 10 - 1) * 15.0;
  const double value = kValue[(Index % 10) / 2] * 255.0;
  const double low = (Index % 2 == 1) ? value / 2.0 : 0.0;
  auto channel = [&](double Offset) {
    double h = std::fmod(hue + Offset, 360.0);
    // A triangle wave: full within 60 degrees of the channel's hue, falling to low by 120.
    const double d = std::min(h, 360.0 - h);
    const double f = d <= 60.0 ? 1.0 : d >= 120.0 ? 0.0 : (120.0 - d) / 60.0;
    return static_cast<int>(std::lround(low + (value - low) * f));
  };
  return pack(channel(0.0), channel(-120.0 + 360.0), channel(-240.0 + 360.0));
}

bool ReadDxfDrawing(std::string_view Bytes, TQarvShapes& Shapes, TProgressSink& Progress,
                    TReadNotes& Notes) {
  TDxfDocument doc;
  if (!TDocumentReader(Bytes, Progress).Read(doc, Notes.Truncated)) return false;
  TEntityConverter converter(doc, Bytes.size(), Progress, Notes);
  if (!converter.Run()) return false;
  Notes.OpenChains =
      AssembleShapes(std::move(converter.Paths()), kJoinTolerance, Shapes, Notes.OutOfRange);
  Progress.SetPosition(kProgressEnd);
  Progress.ProcessPendingMessages();
  return true;
}

}  // namespace plavo
