#include "app/cli/CliInfo.h"

#include <cstdio>
#include <memory>

#include "app/cli/CliConsole.h"
#include "app/cli/CliJson.h"

namespace plavo {

namespace {

void WriteBox(TJsonWriter& J, const TRectDbl& Box) {
  J.BeginArray();
  J.Number(Box.Left);
  J.Number(Box.Top);
  J.Number(Box.Right);
  J.Number(Box.Bottom);
  J.EndArray();
}

void WritePathJson(TJsonWriter& J, const TQarvOnePath& Path) {
  J.BeginObject();
  J.Key("type");
  J.Integer(Path.Type_());
  J.Key("closed");
  J.Boolean(Path.Closed());
  J.Key("segments");
  J.Integer(Path.SegmentCount());
  J.Key("bbox");
  WriteBox(J, Path.BoundBox());
  J.EndObject();
}

void WriteShapeJson(TJsonWriter& J, const TQarvOneShape& Shape, int Index) {
  J.BeginObject();
  J.Key("index");
  J.Integer(Index);
  J.Key("fill");
  J.Integer(Shape.Color().Fill);
  J.Key("outline");
  J.Integer(Shape.Color().Outline);
  J.Key("bbox");
  WriteBox(J, Shape.BoundBox());
  J.Key("paths");
  J.BeginArray();
  const TQarvOneCurve* curve = Shape.Curve();
  for (int p = 0; curve != nullptr && p < curve->PathCount(); ++p)
    WritePathJson(J, *curve->GetPath(p));
  J.EndArray();
  J.EndObject();
}

std::string InfoJson(const TQarvShapes& Shapes) {
  TJsonWriter j;
  j.BeginObject();
  j.Key("shapes");
  j.BeginArray();
  for (int i = 0; i < Shapes.ShapeCount(); ++i) WriteShapeJson(j, *Shapes.GetShape(i), i);
  j.EndArray();
  j.Key("bbox");
  WriteBox(j, Shapes.BoundBox());
  j.EndObject();
  return j.Text();
}

std::string BoxText(const TRectDbl& Box) {
  return "left " + JsonNumberText(Box.Left) + " top " + JsonNumberText(Box.Top) + " right " +
         JsonNumberText(Box.Right) + " bottom " + JsonNumberText(Box.Bottom);
}

const char* PathKind(int8_t Type) {
  if (Type > 0) return "outer";
  if (Type < 0) return "hole";
  return "open";
}

void PrintInfoText(const std::string& FileName, const TQarvShapes& Shapes) {
  std::printf("%s: %d shapes\n", FileName.c_str(), Shapes.ShapeCount());
  std::printf("bounding box (mm): %s\n", BoxText(Shapes.BoundBox()).c_str());
  for (int i = 0; i < Shapes.ShapeCount(); ++i) {
    const TQarvOneShape& shape = *Shapes.GetShape(i);
    const TQarvOneCurve* curve = shape.Curve();
    const int paths = curve != nullptr ? curve->PathCount() : 0;
    std::printf("shape %d: fill %d, outline %d, %d paths, box %s\n", i, shape.Color().Fill,
                shape.Color().Outline, paths, BoxText(shape.BoundBox()).c_str());
    for (int p = 0; p < paths; ++p) {
      const TQarvOnePath& path = *curve->GetPath(p);
      std::printf("  path %d: type %d (%s), %d segments, box %s\n", p, path.Type_(),
                  PathKind(path.Type_()), path.SegmentCount(), BoxText(path.BoundBox()).c_str());
    }
  }
}

}  // namespace

int RunInfoCommand(const TCliOptions& Options) {
  TEngineState engine;
  TConsoleProgress progress("Reading");
  std::unique_ptr<TQarvShapes> shapes;
  if (!LoadDrawing(Options.File, shapes, engine, progress)) return 1;
  shapes->ApproximateShapes(4, true);
  if (Options.Json) {
    std::printf("%s\n", InfoJson(*shapes).c_str());
  } else {
    PrintInfoText(Options.File, *shapes);
  }
  return 0;
}

}  // namespace plavo
