// In the browser a crash is the browser's to report (in its console).
#include "platform/crash_report.h"

namespace platform {

void InstallCrashReport(const char*) {}

}  // namespace platform
