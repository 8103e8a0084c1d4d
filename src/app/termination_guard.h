#pragma once

namespace celwright {

class TMainForm;

// When the session ends the program with SIGTERM, SIGHUP or SIGINT (logging out, a closed
// terminal, a shutdown), unsaved work is kept as a recovery copy before the program goes.
// A signal handler may not run the BAM writer, so the handler only wakes a watching thread,
// which asks the event loop to write the copy and end the program without the clean-close path
// that would remove it; when the loop is too busy to answer, the watcher ends the program
// itself and the last copy written stays.
void InstallTerminationGuard(TMainForm& form);

}  // namespace celwright
