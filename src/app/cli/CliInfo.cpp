#include "app/cli/CliInfo.h"

#include <cstdio>
#include <memory>

#include "app/cli/CliConsole.h"
#include "app/cli/CliJson.h"

namespace plavo {

namespace {

TJson PathJson(const TQarvOnePath& Path) {
  TJson j;
  j["type"] = Path.Type_();
  j["closed"] = Path.Closed();
  j["segments"] = Path.SegmentCount();
  j["bbox"] = JsonBox(Path.BoundBox());
  return j;
}

TJson ShapeJson(const TQarvOneShape& Shape, int Index) {
  TJson j;
  j["index"] = Index;
  j["fill"] = Shape.Color().Fill;
  j["outline"] = Shape.Color().Outline;
  j["bbox"] = JsonBox(Shape.BoundBox());
  j["paths"] = TJson::array();
  const TQarvOneCurve* curve = Shape.Curve();
  for (int p = 0; curve != nullptr && p < curve->PathCount(); ++p)
    j["paths"].push_back(PathJson(*curve->GetPath(p)));
  return j;
}

std::string InfoJson(const TQarvShapes& Shapes) {
  TJson j;
  j["shapes"] = TJson::array();
  for (int i = 0; i < Shapes.ShapeCount(); ++i)
    j["shapes"].push_back(ShapeJson(*Shapes.GetShape(i), i));
  j["bbox"] = JsonBox(Shapes.BoundBox());
  return JsonText(j);
}

std::string BoxText(const TRectDbl& Box) {
  if (IsEmptyBox(Box)) return "none";
  return "left " + NumberText(Box.Left) + " top " + NumberText(Box.Top) + " right " +
         NumberText(Box.Right) + " bottom " + NumberText(Box.Bottom);
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
  TConsoleControl console("Reading");
  std::unique_ptr<TQarvShapes> shapes;
  if (!LoadDrawing(Options.File, shapes, console)) return 1;
  shapes->ApproximateShapes(4, true);
  if (Options.Json) {
    std::printf("%s\n", InfoJson(*shapes).c_str());
  } else {
    PrintInfoText(Options.File, *shapes);
  }
  return 0;
}

}  // namespace plavo
