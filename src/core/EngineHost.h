// What the engine and the reader need from whoever runs them: a progress display that also
// lets the host process pending events, and a place to show a failure message. The window,
// the command-line tool and the tests each implement these.
#pragma once

#include <string>

namespace plavo {

class TProgressSink {
 public:
  virtual ~TProgressSink() = default;
  // Position of the progress display, 0..100.
  virtual int Position() const = 0;
  virtual void SetPosition(int Position) = 0;
  // Called after the position changed, so a window can repaint and take Stop presses.
  virtual void ProcessPendingMessages() {}
};

class TMessageSink {
 public:
  virtual ~TMessageSink() = default;
  // A modal error message titled "Plavo"; Text is the untranslated program text.
  virtual void ShowError(const std::string& Text) = 0;
  // Something the user should know that does not stop the work (text a reader skipped).
  virtual void ShowWarning(const std::string& /*Text*/) {}
};

// Keeps the position and does nothing else: for tests and quiet command-line runs.
class TSilentProgress : public TProgressSink {
 public:
  int Position() const override { return FPosition; }
  void SetPosition(int Position) override { FPosition = Position; }

 private:
  int FPosition = 0;
};

}  // namespace plavo
