// SIGINT and SIGTERM: the first asks for an orderly end, a second ends the
// program at once.
#pragma once

namespace platform::base {

void InstallStopSignals();
bool Interrupted();        // SIGINT or SIGTERM asked the show to end
void CancelStopTimeout();  // the end of the run is reached

}  // namespace platform::base
