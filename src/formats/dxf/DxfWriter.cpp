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
#include "geometry/ArcFit.h"

namespace plavo {

namespace {

constexpr const char* kOutlineLayer = "SHEET_OUTLINES";
constexpr int kOutlineColorIndex = 8;  // grey
constexpr int kByLayer = 256;
constexpr int kMillimetres = 4;  // $INSUNITS

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

std::string EngraveLayer(int Sheet) {
  return SheetLayer(Sheet) + "_ENGRAVE";
}

// The sheets whose shapes hold markings, each once, in order.
std::vector<int> SheetsWithMarkings(const TNestedLayout& Layout) {
  std::vector<int> sheets;
  for (const TLayoutShape& shape : Layout.Shapes) {
    for (const TPlacedPath& path : shape.Paths) {
      if (IsMarking(shape, path)) sheets.push_back(shape.Sheet);
    }
  }
  std::sort(sheets.begin(), sheets.end());
  sheets.erase(std::unique(sheets.begin(), sheets.end()), sheets.end());
  return sheets;
}

class TLayoutWriter {
 public:
  TLayoutWriter(const TNestedLayout& Layout, TCurveForm Curves)
      : FLayout(Layout),
        FSheets(static_cast<int>(Layout.Sheets.size())),
        FEngraved(SheetsWithMarkings(Layout)),
        FCurves(Curves) {}

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
    FW.tableLayers(FSheets + 2 + static_cast<int>(FEngraved.size()));
    FDxf.writeLayer(FW, DL_LayerData("0", 0), DL_Attributes("", 7, 0, "CONTINUOUS", 1.0));
    OutlineLayer();
    for (int j = 0; j < FSheets; ++j)
      FDxf.writeLayer(FW, DL_LayerData(SheetLayer(j), 0),
                      DL_Attributes("", 7, 0, "CONTINUOUS", 1.0));
    for (int j : FEngraved)
      FDxf.writeLayer(FW, DL_LayerData(EngraveLayer(j), 0),
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
    std::vector<TBulgeVertex> vertices;
    for (const TNodeSimple& p : V) vertices.push_back({p, 0.0});
    BulgePolyline(vertices, Closed, A);
  }

  void BulgePolyline(const std::vector<TBulgeVertex>& V, bool Closed, const DL_Attributes& A) {
    if (V.size() < 2) return;
    FDxf.writePolyline(FW, DL_PolylineData(static_cast<int>(V.size()), 0, 0, Closed ? 1 : 0), A);
    for (const TBulgeVertex& v : V) FDxf.writeVertex(FW, DL_VertexData(v.P.X, v.P.Y, 0.0, v.Bulge));
    FDxf.writePolylineEnd(FW);
  }

  void Path(const TPlacedPath& Path, const DL_Attributes& A) {
    if (FCurves == TCurveForm::Polyline)
      Polyline(PolylineVertices(Path, kPolylineFlatness), Path.Closed, A);
    else
      BulgePolyline(FitArcs(Path, kArcFitTolerance), Path.Closed, A);
  }

  void Sheets() {
    const DL_Attributes a(kOutlineLayer, kByLayer, 0, "BYLAYER", 1.0);
    for (const TLayoutSheet& s : FLayout.Sheets) {
      const double x = s.Position.X, y = s.Position.Y;
      Polyline(
          std::vector<TNodeSimple>{
              {x, y}, {x + s.Width, y}, {x + s.Width, y + s.Height}, {x, y + s.Height}},
          true, a);
    }
  }

  void Shapes() {
    for (const TLayoutShape& shape : FLayout.Shapes) {
      const int32_t color = shape.Color.Outline >= 0 ? shape.Color.Outline : shape.Color.Fill;
      const auto attributes = [&](const std::string& Layer) {
        return DL_Attributes(Layer, color >= 0 ? kByLayer : 7, color >= 0 ? TrueColorOf(color) : -1,
                             0, "BYLAYER");
      };
      const DL_Attributes cut = attributes(SheetLayer(shape.Sheet));
      const DL_Attributes marking = attributes(EngraveLayer(shape.Sheet));
      for (const TPlacedPath& path : shape.Paths)
        Path(path, IsMarking(shape, path) ? marking : cut);
    }
  }

  const TNestedLayout& FLayout;
  int FSheets = 0;
  std::vector<int> FEngraved;
  TCurveForm FCurves;
  DL_Dxf FDxf;
  TDxfTextWriter FW;
};

}  // namespace

bool BuildDxfText(const TNestedLayout& Layout, std::string& Text, std::string& /*Error*/,
                  TCurveForm Curves) {
  Text = TLayoutWriter(Layout, Curves).Write();
  return true;
}

bool WriteDxfFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error,
                  TCurveForm Curves) {
  std::string text;
  return BuildDxfText(Layout, text, Error, Curves) && WriteFileAtomically(FileName, text, Error);
}

}  // namespace plavo
