// The file is laid out by dxflib (header, tables, blocks, entities and objects of an AutoCAD
// 2000 drawing, with handles), so CAD programs that insist on a complete file accept it.
#include "formats/dxf/DxfWriter.h"

#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "core/AtomicFile.h"
#include "formats/dxf/DxfColor.h"
#include "geometry/QarvMath.h"

namespace plavo {

namespace {

constexpr const char* kOutlineLayer = "SHEET_OUTLINES";
constexpr int kOutlineColorIndex = 8;  // grey
constexpr int kByLayer = 256;
constexpr int kMillimetres = 4;  // $INSUNITS
constexpr int kMaxFlattenDepth = 16;

// dxflib writes through DL_WriterA, which streams to a named file. This one collects the text
// instead, so the save goes through WriteFileAtomically like every other save; the base opens
// /dev/null and is never written to.
class TDxfTextWriter : public DL_WriterA {
 public:
  TDxfTextWriter() : DL_WriterA("/dev/null", DL_Codes::AC1015) {}

  void dxfReal(int Code, double Value) const override {
    char text[32];
    // The shortest text that reads back as the same double.
    const auto [end, error] = std::to_chars(text, text + sizeof text, Value);
    Line(Code, error == std::errc() ? std::string(text, end) : std::string("0"));
  }
  void dxfInt(int Code, int Value) const override { Line(Code, std::to_string(Value)); }
  void dxfHex(int Code, int Value) const override {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(Value));
    Line(Code, text);
  }
  void dxfString(int Code, const char* Value) const override { Line(Code, Value); }
  void dxfString(int Code, const std::string& Value) const override { Line(Code, Value); }

  std::string Take() { return std::move(FText); }

 private:
  // Group codes right-aligned in three columns, as CAD programs write them.
  void Line(int Code, const std::string& Value) const {
    if (Code < 10)
      FText += "  ";
    else if (Code < 100)
      FText += ' ';
    FText += std::to_string(Code);
    FText += '\n';
    FText += Value;
    FText += '\n';
  }

  mutable std::string FText;
};

std::string SheetLayer(int Sheet) {
  return "SHEET_" + std::to_string(Sheet + 1);
}

// Appends the cubic's points after its start; its controls within kDxfFlatness of the chord
// bound the curve's distance from it.
void Flatten(TNodeSimple P0, TNodeSimple P1, TNodeSimple P2, TNodeSimple P3, int Depth,
             std::vector<TNodeSimple>& Out) {
  const TChordDeviation dev = ChordDeviation(P0.X, P0.Y, P1.X, P1.Y, P2.X, P2.Y, P3.X, P3.Y);
  const double limit = kDxfFlatness * kDxfFlatness * dev.ChordSquared;
  const double most = std::max(dev.D1, dev.D2);
  // A chord of length 0 bounds nothing: such a curve is split until its controls are near.
  const bool flat = dev.ChordSquared > 0
                        ? most * most <= limit
                        : PointDistance(P0.X, P0.Y, P1.X, P1.Y) <= kDxfFlatness &&
                              PointDistance(P0.X, P0.Y, P2.X, P2.Y) <= kDxfFlatness;
  if (Depth >= kMaxFlattenDepth || flat) {
    Out.push_back(P3);
    return;
  }
  auto mid = [](TNodeSimple A, TNodeSimple B) {
    return TNodeSimple{(A.X + B.X) / 2, (A.Y + B.Y) / 2};
  };
  const TNodeSimple a = mid(P0, P1), b = mid(P1, P2), c = mid(P2, P3);
  const TNodeSimple d = mid(a, b), e = mid(b, c), m = mid(d, e);
  Flatten(P0, a, d, m, Depth + 1, Out);
  Flatten(m, e, c, P3, Depth + 1, Out);
}

std::vector<TNodeSimple> PathVertices(const TPlacedPath& Path) {
  std::vector<TNodeSimple> v;
  for (const TPlacedSegment& s : Path.Segments) {
    if (v.empty() || v.back().X != s.Start.X || v.back().Y != s.Start.Y) v.push_back(s.Start);
    if (IsStraightSegment(s))
      v.push_back(s.End);
    else
      Flatten(s.Start, s.StartControl, s.EndControl, s.End, 0, v);
  }
  // A closed polyline returns to its first vertex by itself.
  if (Path.Closed && v.size() > 1) v.pop_back();
  return v;
}

class TLayoutWriter {
 public:
  explicit TLayoutWriter(const TNestedLayout& Layout)
      : FLayout(Layout), FSheets(static_cast<int>(Layout.Sheets.size())) {}

  std::string Write() {
    FDxf.writeHeader(FW);
    FW.dxfString(9, "$INSUNITS");
    FW.dxfInt(70, kMillimetres);
    FW.dxfString(9, "$MEASUREMENT");
    FW.dxfInt(70, 1);
    FW.sectionEnd();
    Tables();
    Blocks();
    FW.sectionEntities();
    Sheets();
    Shapes();
    FW.sectionEnd();
    FDxf.writeObjects(FW);
    FDxf.writeObjectsEnd(FW);
    FW.dxfEOF();
    return FW.Take();
  }

 private:
  void Tables() {
    FW.sectionTables();
    FDxf.writeVPort(FW);
    FW.tableLinetypes(3);
    FDxf.writeLinetype(FW, DL_LinetypeData("BYBLOCK", "BYBLOCK", 0, 0, 0.0));
    FDxf.writeLinetype(FW, DL_LinetypeData("BYLAYER", "BYLAYER", 0, 0, 0.0));
    FDxf.writeLinetype(FW, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
    FW.tableEnd();
    FW.tableLayers(FSheets + 2);
    FDxf.writeLayer(FW, DL_LayerData("0", 0), DL_Attributes("", 7, 0, "CONTINUOUS", 1.0));
    OutlineLayer();
    for (int j = 0; j < FSheets; ++j)
      FDxf.writeLayer(FW, DL_LayerData(SheetLayer(j), 0),
                      DL_Attributes("", 7, 0, "CONTINUOUS", 1.0));
    FW.tableEnd();
    FW.tableStyle(1);
    FDxf.writeStyle(FW, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    FW.tableEnd();
    FDxf.writeView(FW);
    FDxf.writeUcs(FW);
    FW.tableAppid(1);
    FDxf.writeAppid(FW, "ACAD");
    FW.tableEnd();
    FDxf.writeDimStyle(FW, 1, 1, 1, 1, 1);
    FDxf.writeBlockRecord(FW);
    FW.tableEnd();
    FW.sectionEnd();
  }

  // As dxflib writes a layer, plus "do not plot" (group 290), which dxflib sets only for
  // the layer Defpoints.
  void OutlineLayer() {
    FW.tableLayerEntry();
    FW.dxfString(2, kOutlineLayer);
    FW.dxfInt(70, 0);
    FW.dxfInt(62, kOutlineColorIndex);
    FW.dxfString(6, "CONTINUOUS");
    FW.dxfBool(290, false);
    FW.dxfInt(370, -3);
    FW.dxfHex(390, 0xF);
  }

  void Blocks() {
    FW.sectionBlocks();
    for (const char* name : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
      FDxf.writeBlock(FW, DL_BlockData(name, 0, 0.0, 0.0, 0.0));
      FDxf.writeEndBlock(FW, name);
    }
    FW.sectionEnd();
  }

  void Polyline(const std::vector<TNodeSimple>& V, bool Closed, const DL_Attributes& A) {
    if (V.size() < 2) return;
    FDxf.writePolyline(FW, DL_PolylineData(static_cast<int>(V.size()), 0, 0, Closed ? 1 : 0), A);
    for (const TNodeSimple& p : V) FDxf.writeVertex(FW, DL_VertexData(p.X, p.Y, 0.0, 0.0));
    FDxf.writePolylineEnd(FW);
  }

  void Sheets() {
    const DL_Attributes a(kOutlineLayer, kByLayer, 0, "BYLAYER", 1.0);
    for (const TLayoutSheet& s : FLayout.Sheets) {
      const double x = s.Position.X, y = s.Position.Y;
      Polyline({{x, y}, {x + s.Width, y}, {x + s.Width, y + s.Height}, {x, y + s.Height}}, true, a);
    }
  }

  void Shapes() {
    for (const TLayoutShape& shape : FLayout.Shapes) {
      const int32_t color = shape.Color.Outline >= 0 ? shape.Color.Outline : shape.Color.Fill;
      const DL_Attributes a(SheetLayer(shape.Sheet), color >= 0 ? kByLayer : 7,
                            color >= 0 ? TrueColorOf(color) : -1, 0, "BYLAYER");
      for (const TPlacedPath& path : shape.Paths) Polyline(PathVertices(path), path.Closed, a);
    }
  }

  const TNestedLayout& FLayout;
  int FSheets = 0;
  DL_Dxf FDxf;
  TDxfTextWriter FW;
};

}  // namespace

bool BuildDxfText(const TNestedLayout& Layout, std::string& Text, std::string& /*Error*/) {
  Text = TLayoutWriter(Layout).Write();
  return true;
}

bool WriteDxfFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error) {
  std::string text;
  return BuildDxfText(Layout, text, Error) && WriteFileAtomically(FileName, text, Error);
}

}  // namespace plavo
