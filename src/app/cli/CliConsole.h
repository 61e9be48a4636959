// What the command-line tool shows on the terminal besides its results: progress on standard
// error (only when that is a terminal, so scripts and pipes get clean output), and failures.
#pragma once

#include <memory>
#include <string>

#include "geometry/ShapesClass.h"
#include "core/EngineHost.h"
#include "nesting/model/MosaroUnit.h"

namespace plavo {

class TConsoleProgress : public TProgressSink {
 public:
  // Label is shown before the percentage, e.g. "Reading".
  explicit TConsoleProgress(std::string Label);
  ~TConsoleProgress() override;

  int Position() const override { return FPosition; }
  void SetPosition(int Position) override;
  void SetLabel(std::string Label) { FLabel = std::move(Label); }
  // Clears the progress line, if one was drawn.
  void Finish();

 private:
  std::string FLabel;
  int FPosition = 0;
  bool FEnabled = false;
  bool FDrawn = false;
};

// Keeps the last message the reader or the engine wanted to show.
class TConsoleMessages : public TMessageSink {
 public:
  void ShowError(const std::string& Text) override { FLast = Text; }
  // Warnings do not wait: they go to standard error at once.
  void ShowWarning(const std::string& Text) override;
  const std::string& Last() const { return FLast; }

 private:
  std::string FLast;
};

// Prints "plavo-cli: " + Text on standard error.
void PrintError(const std::string& Text);

// Reads the drawing. On failure prints why, naming the file, and returns false.
bool LoadDrawing(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes, TEngineState& E,
                 TConsoleProgress& Progress);

}  // namespace plavo
