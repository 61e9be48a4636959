// The one control object a host hands down the calls of a read, a load or a run, as libnest2d's
// NestControl is: where progress and messages go, and the requests to stop or to skip the
// search for the best result. The engine never calls the host otherwise.
//
// Threads. The requests may be made from any thread at any time (they are atomics); the work
// reads them between steps. The progress and message functions are called on the thread that
// does the work, never on a helper thread of the engine. Nothing here needs the host's event
// loop: a window that runs the work on its own thread processes its events inside the progress
// function; one that runs it on a worker thread sends the position on as a queued signal.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "core/EngineHost.h"

namespace plavo {

enum class TMessageKind : uint8_t { Error, Warning };

// Also a progress display and a message sink, so the same object goes to the readers.
class TNestControl final : public TProgressSink, public TMessageSink {
 public:
  // Progress position 0..100, called only when the position changes.
  using TProgressFunction = std::function<void(int Position)>;
  // Text is the untranslated program text.
  using TMessageFunction = std::function<void(TMessageKind Kind, const std::string& Text)>;

  TNestControl() = default;
  explicit TNestControl(TProgressFunction Progress, TMessageFunction Message = {});
  TNestControl(const TNestControl&) = delete;
  TNestControl& operator=(const TNestControl&) = delete;

  // The host's side, set before the work starts (not while it runs).
  void OnProgress(TProgressFunction Progress) { FProgress = std::move(Progress); }
  void OnMessage(TMessageFunction Message) { FMessage = std::move(Message); }

  // Any thread, at any time. A request stays until ClearRequests: a host clears them before it
  // starts the next run, so a Stop pressed after one run ended does not cut the next short.
  void RequestStop();
  void RequestSkipSearch();  // "Skip searching.": one trial order per batch from now on
  void ClearRequests();
  bool StopRequested() const { return FStop.load(std::memory_order_relaxed); }
  bool SkipSearchRequested() const { return FSkipSearch.load(std::memory_order_relaxed); }
  // Stops requested so far, never lowered: work done in pieces tells a stop made during a piece
  // from one made before it (the flattening of each shape).
  uint32_t StopCount() const { return FStopCount.load(std::memory_order_relaxed); }

  // The working thread's side. SetPosition clamps to 0..100 and calls the progress function
  // when the position changed; a progress function that throws is ignored, as progress is only
  // a display and must not end the work.
  int Position() const override { return FPosition.load(std::memory_order_relaxed); }
  void SetPosition(int Position) override;
  // Fraction 0..1 of the work as a whole percent, cut toward zero; not a number: nothing.
  void ReportFraction(double Fraction);
  void ShowError(const std::string& Text) override;
  void ShowWarning(const std::string& Text) override;

 private:
  TProgressFunction FProgress;
  TMessageFunction FMessage;
  std::atomic<int> FPosition{0};
  std::atomic<bool> FStop{false};
  std::atomic<bool> FSkipSearch{false};
  std::atomic<uint32_t> FStopCount{0};
};

}  // namespace plavo
