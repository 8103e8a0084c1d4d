#include "app/termination_guard.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdlib>

#include "app/main_window.h"
#include "document/recovery_store.h"
#include "support/qm_log.h"

namespace celwright {

namespace {

int wake_pipe[2] = {-1, -1};

void WakeEventLoop(int signal_number) {
  const unsigned char byte = static_cast<unsigned char>(signal_number);
  [[maybe_unused]] const ssize_t written = ::write(wake_pipe[1], &byte, 1);
}

}  // namespace

void InstallTerminationGuard(TMainForm& form) {
  if (wake_pipe[0] >= 0 || ::pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(wake_pipe[0], QSocketNotifier::Read, &form);
  QObject::connect(notifier, &QSocketNotifier::activated, &form, [&form] {
    unsigned char signal_number = 0;
    [[maybe_unused]] const ssize_t got = ::read(wake_pipe[0], &signal_number, 1);
    AddLogLine("APP : Ended by signal " + std::to_string(signal_number));
    // A periodic write may be under way with older work; the copy must hold the latest.
    if (form.Recovery()) form.Recovery()->Wait();
    form.AutosaveTick();
    if (form.Recovery()) form.Recovery()->Wait();
    CloseLog();
    std::_Exit(128 + signal_number);
  });
  struct sigaction action = {};
  action.sa_handler = WakeEventLoop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal_number : {SIGTERM, SIGHUP, SIGINT})
    sigaction(signal_number, &action, nullptr);
}

}  // namespace celwright
