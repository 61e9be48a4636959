// Which shapes of a sheet lie near a box: a grid of square buckets over the sheet, each listing
// the shapes whose boxes reach into it, so that settling thousands of shapes looks at a shape's
// neighbours instead of at every shape of its sheet.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/ShapesClass.h"

namespace plavo {

class TShapeGrid {
 public:
  // A grid over Area with buckets of about Bucket mm (more where Area would need too many),
  // holding shape i at Boxes[i].
  TShapeGrid(const TRectDbl& Area, double Bucket, const std::vector<TRectDbl>& Boxes);

  // Shape i moved from box From to box To.
  void Move(uint32_t i, const TRectDbl& From, const TRectDbl& To);

  // Every shape whose box reaches a bucket Box reaches, each once, in no set order.
  std::vector<uint32_t> Near(const TRectDbl& Box) const;

 private:
  struct TSpan {
    int Left = 0, Right = 0, Bottom = 0, Top = 0;
    bool operator==(const TSpan&) const = default;
  };
  TSpan SpanOf(const TRectDbl& Box) const;
  int Column(double X) const;
  int Row(double Y) const;
  void Add(uint32_t i, const TSpan& S);
  void Remove(uint32_t i, const TSpan& S);

  double FLeft = 0.0;
  double FBottom = 0.0;
  double FBucket = 1.0;
  int FColumns = 1;
  int FRows = 1;
  std::vector<std::vector<uint32_t>> FBuckets;
  mutable std::vector<uint32_t> FSeen;  // the query that last listed each shape
  mutable uint32_t FQuery = 0;
};

}  // namespace plavo
