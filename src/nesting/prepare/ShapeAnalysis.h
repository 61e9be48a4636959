// Shape analysis before placement: flattening, simplification, net area, characteristic
// points, base orientation, trial angles with their outlines as cut, colour groups.
#pragma once

#include <limits>
#include <vector>

#include "nesting/model/MosaroUnit.h"

namespace plavo {

// The largest minimum distance the analysis accepts, mm (the window allows 0.1 .. 100); above it
// the drawings widened by it would need gigabytes, so AnalyzeShapes sets the error flag instead.
constexpr int kMaxNestDistance = 1000;

// How far, in mm, the true outline may reach beyond the nodes' outline: flattening and
// simplification each take this much, so the nodes stay close to the outline as cut.
constexpr double kOutlineSlack = 0.25;
// No limit: the flattening and simplification alone decide which nodes stay.
constexpr double kNoSlack = std::numeric_limits<double>::infinity();

// On which side of its direction of travel a sub-path has the shape's material (even-odd over
// all closed sub-paths); Both for open sub-paths and for those without area.
enum class TMaterialSide { Left, Right, Both };

void AnalyzeShapes(TEngineState& E);

// The steps, exposed for tests.
// With a finite Slack, a flat piece is split further until the curve lies within Slack of the
// flattened outline. False when a Stop came through E's control while the record flattened.
bool FlattenSubPaths(TEngineState& E, int i, int Limit, double Tolerance, double Slack = kNoSlack);
void ComputeNetArea(TEngineState& E, int i);
// The material side of every sub-path of record i, from its flattened nodes.
std::vector<TMaterialSide> MaterialSides(const TNestOneRec& Rec);
// With a finite Slack, a node that would stick out of the simplified outline (away from the
// material side) by more than Slack is kept.
void SimplifyNodes(TEngineState& E, int i, int j, double x,
                   TMaterialSide Side = TMaterialSide::Both, double Slack = kNoSlack);
void FindCpsPoints(TEngineState& E, int i);
void FindOptimalAngle(TEngineState& E, int i);
void BuildColorOrder(TEngineState& E);

}  // namespace plavo
