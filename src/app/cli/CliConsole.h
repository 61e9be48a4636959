// What the command-line tool shows on the terminal besides its results: progress on standard
// error (only when that is a terminal, so scripts and pipes get clean output), and failures.
#pragma once

#include <memory>
#include <string>

#include "core/NestControl.h"
#include "geometry/ShapesClass.h"

namespace plavo {

// The control of the tool's work: progress on standard error as "Label NN%" (only when that is a
// terminal); warnings printed at once, the last error kept for the caller to print with the name
// of the file it concerns.
class TConsoleControl {
 public:
  // Label is shown before the percentage, e.g. "Reading".
  explicit TConsoleControl(std::string Label);
  ~TConsoleControl();
  TConsoleControl(const TConsoleControl&) = delete;
  TConsoleControl& operator=(const TConsoleControl&) = delete;

  TNestControl& Control() { return FControl; }
  void SetLabel(std::string Label) { FLabel = std::move(Label); }
  const std::string& LastError() const { return FLastError; }
  // Clears the progress line, if one was drawn.
  void Finish();

 private:
  void Show(int Position);

  TNestControl FControl;
  std::string FLabel;
  std::string FLastError;
  bool FEnabled = false;
  bool FDrawn = false;
};

// Prints "plavo-cli: " + Text on standard error.
void PrintError(const std::string& Text);

// Reads the drawing. On failure prints why, naming the file, and returns false.
bool LoadDrawing(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                 TConsoleControl& Console);

}  // namespace plavo
