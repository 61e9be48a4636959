// The two sides of a host the readers take: a progress display and a place for messages. The
// host's control object (TNestControl, NestControl.h) implements both, so one object carries
// progress, messages and Stop through reading, loading and running; tests implement them to
// record what a reader reports.
#pragma once

#include <string>

namespace plavo {

class TProgressSink {
 public:
  virtual ~TProgressSink() = default;
  // Position of the progress display, 0..100.
  virtual int Position() const = 0;
  virtual void SetPosition(int Position) = 0;
  // Called by the readers after the position changed. TNestControl does nothing here: its
  // progress function is where a host that works on its own thread processes its events.
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
