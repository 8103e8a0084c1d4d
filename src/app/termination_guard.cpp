#include "app/termination_guard.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/main_window.h"
#include "document/recovery_store.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

using namespace std::chrono_literals;

// How long the event loop has to start on a fresh copy before the editor counts as busy, and
// how long either side may then spend on the copy before the program goes regardless.
constexpr auto kLoopAnswerTime = 2s;
constexpr auto kCopyTime = 30s;

int wake_pipe[2] = {-1, -1};
std::atomic<TMainForm*> guarded_form{nullptr};
std::atomic<bool> loop_is_ending{false};

void WakeWatcher(int signal_number) {
  const unsigned char byte = static_cast<unsigned char>(signal_number);
  [[maybe_unused]] const ssize_t written = ::write(wake_pipe[1], &byte, 1);
}

// Waits up to `limit` for a signal byte; 0 when none came.
int NextSignal(std::chrono::milliseconds limit) {
  pollfd wake{wake_pipe[0], POLLIN, 0};
  const int ready = ::poll(&wake, 1, static_cast<int>(limit.count()));
  unsigned char signal_number = 0;
  if (ready > 0 && ::read(wake_pipe[0], &signal_number, 1) == 1) return signal_number;
  return 0;
}

// On the event loop: the copy is brought up to date, then the program goes without the
// clean-close path that would remove it.
void EndFromLoop(int signal_number) {
  TMainForm* form = guarded_form.load();
  loop_is_ending = true;
  AddLogLine("APP : Ended by signal " + std::to_string(signal_number));
  if (form) {
    // A periodic write may be under way with older work; the copy must hold the latest.
    form->WaitForRecoveries(kCopyTime);
    form->AutosaveTick();
    form->WaitForRecoveries(kCopyTime);
  }
  CloseLog();
  std::_Exit(128 + signal_number);
}

// Its own thread, so that a signal ends the program even while the event loop is stuck in long
// work (or in a plug-in that never returns): the loop gets a moment to save the latest work;
// when it does not answer, the copy that exists is kept as it is, and a write of it under way
// is let finish, since an interrupted one would leave only its temporary file.
void WatchForSignals() {
  int signal_number = 0;
  while (signal_number == 0) signal_number = NextSignal(-1ms);
  QCoreApplication* app = QCoreApplication::instance();
  if (app && guarded_form.load())
    QMetaObject::invokeMethod(
        app, [signal_number] { EndFromLoop(signal_number); }, Qt::QueuedConnection);
  else
    std::_Exit(128 + signal_number);

  const auto answer_deadline = std::chrono::steady_clock::now() + kLoopAnswerTime;
  while (!loop_is_ending && std::chrono::steady_clock::now() < answer_deadline)
    if (NextSignal(50ms) != 0) std::_Exit(128 + signal_number);  // asked twice: go now
  if (!loop_is_ending) {
    if (TMainForm* form = guarded_form.load()) form->WaitForRecoveries(kCopyTime);
    std::_Exit(128 + signal_number);
  }
  // The loop is writing the copy; a second signal or a write that never ends still ends it.
  NextSignal(kCopyTime);
  std::_Exit(128 + signal_number);
}

}  // namespace

void InstallTerminationGuard(TMainForm& form) {
  if (wake_pipe[0] >= 0 || ::pipe2(wake_pipe, O_CLOEXEC) != 0) return;
  // The handler must never block, whatever the watcher is doing.
  ::fcntl(wake_pipe[1], F_SETFL, ::fcntl(wake_pipe[1], F_GETFL) | O_NONBLOCK);
  guarded_form = &form;
  QObject::connect(&form, &QObject::destroyed, [] { guarded_form = nullptr; });
  std::thread(WatchForSignals).detach();
  struct sigaction action = {};
  action.sa_handler = WakeWatcher;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal_number : {SIGTERM, SIGHUP, SIGINT})
    sigaction(signal_number, &action, nullptr);
}

}  // namespace celwright
