#include "app/cli/CliConsole.h"

#include <unistd.h>

#include <cstdio>
#include <exception>

#include "core/ErrorTexts.h"
#include "core/ReadProblem.h"
#include "formats/DrawingReader.h"

namespace plavo {

TConsoleControl::TConsoleControl(std::string Label)
    : FLabel(std::move(Label)), FEnabled(::isatty(STDERR_FILENO) == 1) {
  FControl.OnProgress([this](int Position) { Show(Position); });
  FControl.OnMessage([this](TMessageKind Kind, const std::string& Text) {
    if (Kind == TMessageKind::Error) {
      FLastError = Text;
    } else {
      PrintError("warning: " + Text);  // warnings do not wait
    }
  });
}

TConsoleControl::~TConsoleControl() {
  Finish();
}

void TConsoleControl::Show(int Position) {
  if (!FEnabled) return;
  std::fprintf(stderr, "\r%s %3d%%", FLabel.c_str(), Position);
  std::fflush(stderr);
  FDrawn = true;
}

void TConsoleControl::Finish() {
  if (!FDrawn) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  FDrawn = false;
}

void PrintError(const std::string& Text) {
  std::fprintf(stderr, "plavo-cli: %s\n", Text.c_str());
}

bool LoadDrawing(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                 TConsoleControl& Console) {
  TReadProblem problem;
  bool ok = false;
  try {
    ok = LoadDrawingFile(FileName, Shapes, Console.Control(), Console.Control(), problem);
  } catch (const std::exception& e) {
    Console.Control().ShowError(e.what());
  }
  Console.Finish();
  if (ok && Shapes != nullptr) return true;
  const std::string message = Console.LastError().empty() ? kErrorOpeningFile : Console.LastError();
  std::string reason;
  if (message == kErrorOpeningFile && !problem.Text.empty())
    reason = " (" + ReadProblemWords(problem.Text, problem.Count) + ")";
  PrintError("\"" + FileName + "\": " + message + reason);
  if (Shapes == nullptr) Shapes = std::make_unique<TQarvShapes>();
  return false;
}

}  // namespace plavo
