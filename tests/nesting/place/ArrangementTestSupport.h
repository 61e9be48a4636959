// Geometry of a finished arrangement: every placed shape's outline on its sheet, and the check
// that shapes stay on their sheets, keep the minimum distance and do not lie inside each other.
#pragma once

#include <algorithm>
#include <memory>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/ai/VecFrmtAI.h"
#include "nesting/model/MosaroUnit.h"
#include "nesting/NestJob.h"
#include "nesting/place/Rasterise.h"
#include "nesting/place/SearchTestShapes.h"

namespace plavo {

namespace arrangement_test {

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string&) override {}
};

// A drawing of the test data (path below its folder) read into a job; null when unreadable.
inline std::unique_ptr<TNestJob> LoadTestDrawing(const std::string& RelativePath) {
  auto job = std::make_unique<TNestJob>();
  TSilentProgress progress;
  TQuietMessages messages;
  std::unique_ptr<TQarvShapes> shapes;
  if (!LoadAIFile(std::string(PLAVO_TESTDATA_DIR) + "/" + RelativePath, shapes, progress,
                  messages)) {
    return nullptr;
  }
  job->Load(std::move(shapes));
  return job;
}

using search_test::TPt;

struct TOutline {
  int Record = 0;
  int Sheet = 0;
  std::vector<std::vector<TPt>> Paths;
  std::vector<bool> Closed, Outer;
  int MinX = 1 << 30, MaxX = -(1 << 30), MinY = 1 << 30, MaxY = -(1 << 30);
};

inline TOutline PlacedOutline(const TEngineState& E, int r) {
  TNestOneRec rec = E.NestRecords.Shape[r];
  RotateNestShape(rec, rec.Place.a);
  TOutline o;
  o.Record = r;
  o.Sheet = rec.Place.sheetNo;
  for (const TNestSbpOneRec& s : rec.Sbp) {
    if (s.NodeCount == 0) continue;
    o.Paths.emplace_back();
    o.Closed.push_back((s.Attr & kSbpClosed) != 0);
    o.Outer.push_back((s.Attr & kSbpOuter) != 0);
    for (int k = 0; k < s.NodeCount; ++k) {
      const TPt p{rec.Place.x + s.Node[k].x, rec.Place.y + s.Node[k].y};
      o.Paths.back().push_back(p);
      o.MinX = std::min(o.MinX, p.x);
      o.MaxX = std::max(o.MaxX, p.x);
      o.MinY = std::min(o.MinY, p.y);
      o.MaxY = std::max(o.MaxY, p.y);
    }
  }
  return o;
}

inline std::vector<TOutline> PlacedOutlines(const TEngineState& E, int Skip = -1) {
  std::vector<TOutline> all;
  for (int r = 0; r < static_cast<int>(E.NestRecords.Shape.size()); ++r) {
    if (r != Skip && E.NestRecords.Shape[r].Place.placed) all.push_back(PlacedOutline(E, r));
  }
  return all;
}

inline double PointSegment(TPt P, TPt A, TPt B) {
  const double dx = B.x - A.x, dy = B.y - A.y, len = dx * dx + dy * dy;
  const double t = len > 0 ? std::clamp(((P.x - A.x) * dx + (P.y - A.y) * dy) / len, 0.0, 1.0) : 0;
  return std::hypot(A.x + t * dx - P.x, A.y + t * dy - P.y);
}

inline int Side(TPt O, TPt A, TPt B) {
  const int64_t c = int64_t{A.x - O.x} * (B.y - O.y) - int64_t{A.y - O.y} * (B.x - O.x);
  return (c > 0) - (c < 0);
}

inline double SegmentDistance(TPt A, TPt B, TPt C, TPt D) {
  if (Side(A, B, C) * Side(A, B, D) < 0 && Side(C, D, A) * Side(C, D, B) < 0) return 0.0;
  return std::min(
      {PointSegment(A, C, D), PointSegment(B, C, D), PointSegment(C, A, B), PointSegment(D, A, B)});
}

inline double OutlineDistance(const TOutline& A, const TOutline& B) {
  double best = std::numeric_limits<double>::max();
  for (const auto& pa : A.Paths) {
    for (size_t i = 0; i < pa.size(); ++i) {
      const TPt a0 = pa[i], a1 = pa[std::min(i + 1, pa.size() - 1)];
      for (const auto& pb : B.Paths) {
        for (size_t j = 0; j < pb.size(); ++j) {
          best = std::min(best, SegmentDistance(a0, a1, pb[j], pb[std::min(j + 1, pb.size() - 1)]));
        }
      }
    }
  }
  return best;
}

// Even-odd over the closed sub-paths, or over the outer ones only (holes then count as solid).
inline bool Inside(const TOutline& O, TPt P, bool OuterOnly) {
  const double x = P.x + 0.25, y = P.y + 0.25;
  bool inside = false;
  for (size_t k = 0; k < O.Paths.size(); ++k) {
    if (!O.Closed[k] || (OuterOnly && !O.Outer[k])) continue;
    const std::vector<TPt>& p = O.Paths[k];
    for (size_t e = 0; e + 1 < p.size(); ++e) {
      const TPt a = p[e], b = p[e + 1];
      if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / double(b.y - a.y)) {
        inside = !inside;
      }
    }
  }
  return inside;
}

// Every placed shape lies on its sheet; two shapes on one sheet keep the minimum distance less
// one cell between their outlines, and none lies in another's solid area (in its holes only
// with "Allow inside").
inline void ExpectSoundArrangement(const TEngineState& E, const std::string& Name, int Skip = -1) {
  const TeNestParameters& p = E.NestParams;
  const std::vector<TOutline> all = PlacedOutlines(E, Skip);
  for (const TOutline& o : all) {
    EXPECT_LT(o.Sheet, E.Blocks.Count) << Name << " record " << o.Record;
    EXPECT_TRUE(o.MinX >= 1 && o.MaxX <= p.Media_W - 1 && o.MinY >= 1 && o.MaxY <= p.Media_H - 1)
        << Name << " record " << o.Record << " leaves the sheet";
  }
  for (size_t a = 0; a < all.size(); ++a) {
    for (size_t b = a + 1; b < all.size(); ++b) {
      const TOutline &A = all[a], &B = all[b];
      if (A.Sheet != B.Sheet || A.MaxX + p.Distance < B.MinX || B.MaxX + p.Distance < A.MinX ||
          A.MaxY + p.Distance < B.MinY || B.MaxY + p.Distance < A.MinY) {
        continue;
      }
      EXPECT_GE(OutlineDistance(A, B), p.Distance - 1.0)
          << Name << ": " << A.Record << ", " << B.Record;
      EXPECT_FALSE(Inside(B, A.Paths[0][0], !p.PlaceInside_Enable)) << Name << ": " << A.Record;
      EXPECT_FALSE(Inside(A, B.Paths[0][0], !p.PlaceInside_Enable)) << Name << ": " << B.Record;
    }
  }
}

}  // namespace arrangement_test

}  // namespace plavo
