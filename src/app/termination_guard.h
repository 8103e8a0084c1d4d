#pragma once

namespace celwright {

class TMainForm;

// When the session ends the program with SIGTERM, SIGHUP or SIGINT (logging out, a closed
// terminal, a shutdown), unsaved work is kept as a recovery copy before the program goes.
// A signal handler may not run the BAM writer, so the handler only wakes the event loop, which
// writes the copy and then ends the program without the clean-close path that would remove it.
void InstallTerminationGuard(TMainForm& form);

}  // namespace celwright
