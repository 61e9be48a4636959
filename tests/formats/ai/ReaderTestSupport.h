// Helpers of the reader tests: sinks that record what the reader reports, and short ways to read
// a drawing body held in a string.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/ai/VecFrmtAI.h"
#include "geometry/Units.h"

namespace plavo {

// Records every position set and every request to process pending messages, in call order.
class TRecordingProgress : public TProgressSink {
 public:
  int Position() const override { return FPosition; }
  void SetPosition(int Position) override {
    FPosition = Position;
    Calls.push_back(Position);
  }
  void ProcessPendingMessages() override { Calls.push_back(kProcessed); }

  static constexpr int kProcessed = -1000;  // marks a ProcessPendingMessages call in Calls
  std::vector<int> Calls;

 private:
  int FPosition = 0;
};

class TRecordingMessages : public TMessageSink {
 public:
  void ShowError(const std::string& Text) override { Texts.push_back(Text); }
  void ShowWarning(const std::string& Text) override { Warnings.push_back(Text); }
  std::vector<std::string> Texts, Warnings;
};

struct TReadResult {
  bool Ok = false;
  std::unique_ptr<TQarvShapes> Shapes;
  std::vector<std::string> Messages;
  std::vector<std::string> Warnings;
  std::vector<int> ProgressCalls;

  int ShapeCount() const { return Shapes->ShapeCount(); }
  TQarvOneShape& Shape(int Index) const { return *Shapes->GetShape(Index); }
  TQarvOnePath& Path(int ShapeIndex, int PathIndex) const {
    return *Shape(ShapeIndex).Curve()->GetPath(PathIndex);
  }
};

inline TReadResult ReadBytes(std::string_view Bytes) {
  TReadResult result;
  TRecordingProgress progress;
  TRecordingMessages messages;
  TReadProblem problem;
  result.Ok = LoadAIBytes(Bytes, result.Shapes, progress, messages, problem);
  result.Messages = messages.Texts;
  result.Warnings = messages.Warnings;
  result.ProgressCalls = progress.Calls;
  return result;
}

inline constexpr std::string_view kSignature = "%!PS-Adobe-3.0 EPSF-3.0\n";

// Reads Body behind a signature line.
inline TReadResult ReadBody(std::string_view Body) {
  return ReadBytes(std::string(kSignature) + std::string(Body));
}

// Points in millimetres as the reader converts them from PostScript points.
inline double PointsToMm(double Points) {
  return static_cast<int>(Points * kUnitsPerMm * kMillimetresPerPoint) / kUnitsPerMm;
}

}  // namespace plavo
