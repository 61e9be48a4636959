// Reading drawings of every format from strings in the tests, and a short way to write DXF.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "formats/DrawingReader.h"

namespace plavo {

class TNoteTakingMessages : public TMessageSink {
 public:
  void ShowError(const std::string& Text) override { Errors.push_back(Text); }
  void ShowWarning(const std::string& Text) override { Warnings.push_back(Text); }
  std::vector<std::string> Errors, Warnings;
};

struct TDrawing {
  bool Ok = false;
  std::unique_ptr<TQarvShapes> Shapes;
  TNoteTakingMessages Messages;
  TReadProblem Problem;  // why it was not read
  int Progress = -1;     // the position left behind

  int Count() const { return Shapes->ShapeCount(); }
  TQarvOneShape& Shape(int I) const { return *Shapes->GetShape(I); }
  TQarvOnePath& Path(int I, int P) const { return *Shape(I).Curve()->GetPath(P); }
  int Paths(int I) const { return Shape(I).Curve()->PathCount(); }
};

// Reads Bytes through the format-picking entry point and approximates the shapes as opening a
// drawing does, so path types and boxes are set.
inline TDrawing ReadDrawing(std::string_view Bytes) {
  TDrawing d;
  TSilentProgress progress;
  d.Ok = LoadDrawingBytes(Bytes, d.Shapes, progress, d.Messages, d.Problem);
  d.Progress = progress.Position();
  d.Shapes->ApproximateShapes(4, true);
  return d;
}

// DXF text: groups written as code and value lines.
class TDxfText {
 public:
  TDxfText& G(int Code, const std::string& Value) {
    FText += std::to_string(Code) + "\n" + Value + "\n";
    return *this;
  }
  TDxfText& G(int Code, double Value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.12g", Value);
    return G(Code, std::string(buffer));
  }
  TDxfText& Line(double X1, double Y1, double X2, double Y2) {
    return G(0, "LINE").G(8, "0").G(10, X1).G(20, Y1).G(11, X2).G(21, Y2);
  }
  TDxfText& Arc(double Cx, double Cy, double R, double From, double To) {
    return G(0, "ARC").G(8, "0").G(10, Cx).G(20, Cy).G(40, R).G(50, From).G(51, To);
  }
  TDxfText& Circle(double Cx, double Cy, double R) {
    return G(0, "CIRCLE").G(8, "0").G(10, Cx).G(20, Cy).G(40, R);
  }
  // A closed polyline through the corners.
  TDxfText& Square(double X0, double Y0, double X1, double Y1) {
    G(0, "LWPOLYLINE").G(8, "0").G(90, "4").G(70, "1");
    return G(10, X0).G(20, Y0).G(10, X1).G(20, Y0).G(10, X1).G(20, Y1).G(10, X0).G(20, Y1);
  }
  const std::string& Text() const { return FText; }

 private:
  std::string FText;
};

// A whole DXF file: an optional header body, optional tables and blocks, then the entities.
inline std::string DxfFile(const TDxfText& Entities, const std::string& Header = "",
                           const std::string& Tables = "", const std::string& Blocks = "") {
  std::string s = "0\nSECTION\n2\nHEADER\n" + Header + "0\nENDSEC\n";
  if (!Tables.empty()) s += "0\nSECTION\n2\nTABLES\n" + Tables + "0\nENDSEC\n";
  if (!Blocks.empty()) s += "0\nSECTION\n2\nBLOCKS\n" + Blocks + "0\nENDSEC\n";
  return s + "0\nSECTION\n2\nENTITIES\n" + Entities.Text() + "0\nENDSEC\n0\nEOF\n";
}

// Paths over all shapes, and segments over all paths.
inline int TotalPaths(const TDrawing& D) {
  int n = 0;
  for (int i = 0; i < D.Count(); ++i) n += D.Paths(i);
  return n;
}

// The largest distance from the circle about C of radius R, over the ends and the middles of
// the path's segments (evaluated on the cubics, not on the approximation).
inline double CircleError(const TQarvOnePath& Path, TNodeSimple C, double R) {
  double worst = 0.0;
  for (int i = 0; i < Path.SegmentCount(); ++i) {
    const TSegmentView view = Path.GetSegment(i);
    const TQarvOneSegment& s = *view;
    const TNodeSimple a = s.StartNode(), b = s.StartControlNode(), c = s.EndControlNode(),
                      e = s.EndNode();
    const TNodeSimple mid{(a.X + 3 * b.X + 3 * c.X + e.X) / 8, (a.Y + 3 * b.Y + 3 * c.Y + e.Y) / 8};
    for (const TNodeSimple& p : {a, mid, e})
      worst = std::max(worst, std::abs(std::hypot(p.X - C.X, p.Y - C.Y) - R));
  }
  return worst;
}

inline void ExpectBox(const TRectDbl& Box, double L, double B, double R, double T,
                      double Tol = 1e-6) {
  EXPECT_NEAR(Box.Left, L, Tol);
  EXPECT_NEAR(Box.Bottom, B, Tol);
  EXPECT_NEAR(Box.Right, R, Tol);
  EXPECT_NEAR(Box.Top, T, Tol);
}

}  // namespace plavo
