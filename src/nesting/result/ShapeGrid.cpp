#include "nesting/result/ShapeGrid.h"

#include <algorithm>
#include <cmath>

namespace plavo {

namespace {

// Buckets a grid may have at most: a sheet of 10 x 10 m in buckets of 10 mm.
constexpr double kMostBuckets = 1'000'000.0;

}  // namespace

TShapeGrid::TShapeGrid(const TRectDbl& Area, double Bucket, const std::vector<TRectDbl>& Boxes)
    : FLeft(Area.Left), FBottom(Area.Bottom), FSeen(Boxes.size(), 0) {
  const double width = std::max(Area.Right - Area.Left, 1.0);
  const double height = std::max(Area.Top - Area.Bottom, 1.0);
  FBucket = std::max({Bucket, 1.0, std::sqrt(width * height / kMostBuckets)});
  FColumns = static_cast<int>(std::ceil(width / FBucket)) + 1;
  FRows = static_cast<int>(std::ceil(height / FBucket)) + 1;
  FBuckets.resize(static_cast<size_t>(FColumns) * static_cast<size_t>(FRows));
  for (size_t i = 0; i < Boxes.size(); ++i) Add(static_cast<uint32_t>(i), SpanOf(Boxes[i]));
}

// Boxes beyond the area go to its border buckets.
int TShapeGrid::Column(double X) const {
  const double c = std::floor((X - FLeft) / FBucket);
  return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(FColumns - 1)));
}

int TShapeGrid::Row(double Y) const {
  const double r = std::floor((Y - FBottom) / FBucket);
  return static_cast<int>(std::clamp(r, 0.0, static_cast<double>(FRows - 1)));
}

TShapeGrid::TSpan TShapeGrid::SpanOf(const TRectDbl& Box) const {
  return TSpan{Column(Box.Left), Column(Box.Right), Row(Box.Bottom), Row(Box.Top)};
}

void TShapeGrid::Add(uint32_t i, const TSpan& S) {
  for (int r = S.Bottom; r <= S.Top; ++r) {
    for (int c = S.Left; c <= S.Right; ++c) {
      FBuckets[static_cast<size_t>(r) * static_cast<size_t>(FColumns) + static_cast<size_t>(c)]
          .push_back(i);
    }
  }
}

void TShapeGrid::Remove(uint32_t i, const TSpan& S) {
  for (int r = S.Bottom; r <= S.Top; ++r) {
    for (int c = S.Left; c <= S.Right; ++c) {
      auto& bucket =
          FBuckets[static_cast<size_t>(r) * static_cast<size_t>(FColumns) + static_cast<size_t>(c)];
      const auto at = std::find(bucket.begin(), bucket.end(), i);
      if (at != bucket.end()) bucket.erase(at);
    }
  }
}

void TShapeGrid::Move(uint32_t i, const TRectDbl& From, const TRectDbl& To) {
  const TSpan from = SpanOf(From);
  const TSpan to = SpanOf(To);
  if (from == to) return;
  Remove(i, from);
  Add(i, to);
}

std::vector<uint32_t> TShapeGrid::Near(const TRectDbl& Box) const {
  const TSpan s = SpanOf(Box);
  std::vector<uint32_t> near;
  if (++FQuery == 0) {  // the count went round: no shape is listed by the queries to come
    std::fill(FSeen.begin(), FSeen.end(), 0);
    FQuery = 1;
  }
  for (int r = s.Bottom; r <= s.Top; ++r) {
    for (int c = s.Left; c <= s.Right; ++c) {
      for (const uint32_t i : FBuckets[static_cast<size_t>(r) * static_cast<size_t>(FColumns) +
                                       static_cast<size_t>(c)]) {
        if (FSeen[i] == FQuery) continue;
        FSeen[i] = FQuery;
        near.push_back(i);
      }
    }
  }
  return near;
}

}  // namespace plavo
