#include "app/cli/CliConsole.h"

#include <unistd.h>

#include <cstdio>
#include <exception>

#include "core/ErrorTexts.h"
#include "core/ReadProblem.h"
#include "formats/ai/VecFrmtAI.h"
#include "formats/DrawingReader.h"

namespace plavo {

TConsoleProgress::TConsoleProgress(std::string Label)
    : FLabel(std::move(Label)), FEnabled(::isatty(STDERR_FILENO) == 1) {}

TConsoleProgress::~TConsoleProgress() {
  Finish();
}

void TConsoleProgress::SetPosition(int Position) {
  FPosition = Position;
  if (!FEnabled) return;
  std::fprintf(stderr, "\r%s %3d%%", FLabel.c_str(), Position);
  std::fflush(stderr);
  FDrawn = true;
}

void TConsoleProgress::Finish() {
  if (!FDrawn) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  FDrawn = false;
}

void TConsoleMessages::ShowWarning(const std::string& Text) {
  PrintError("warning: " + Text);
}

void PrintError(const std::string& Text) {
  std::fprintf(stderr, "plavo-cli: %s\n", Text.c_str());
}

bool LoadDrawing(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                 TEngineState& /*E*/, TConsoleProgress& Progress) {
  TConsoleMessages messages;
  TReadProblem problem;
  bool ok = false;
  try {
    ok = LoadDrawingFile(FileName, Shapes, Progress, messages, problem);
  } catch (const std::exception& e) {
    messages.ShowError(e.what());
  }
  Progress.Finish();
  if (ok && Shapes != nullptr) return true;
  const std::string message = messages.Last().empty() ? kErrorOpeningFile : messages.Last();
  std::string reason;
  if (message == kErrorOpeningFile && !problem.Text.empty())
    reason = " (" + ReadProblemWords(problem.Text, problem.Count) + ")";
  PrintError("\"" + FileName + "\": " + message + reason);
  if (Shapes == nullptr) Shapes = std::make_unique<TQarvShapes>();
  return false;
}

}  // namespace plavo
