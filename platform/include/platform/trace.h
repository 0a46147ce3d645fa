// What the run records: the trace (JSON lines of frames, syncs, texts and
// errors, for tests and tools) and every message box shown.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Opens the trace; false when it cannot be written (the reason is printed).
bool OpenTrace(const std::string& path);
void CloseTrace();
// Writes one line of JSON to the trace, if a trace is open.
void TraceLine(const std::string& json);
// The same for a line of what the show does (a frame, a text, a sync), which
// is left out while the show's trace is muted (the warp's unseen frames).
void TraceShowLine(const std::string& json);
std::string JsonEscape(const std::string& text);
void MuteShowTrace(bool muted);
// The position each frame used, the sync flags raised as it was drawn (bit N
// for flag N), and the text put over it (TextOutA), as given.
void TraceFrame(int scene, uint32_t showMs, uint32_t order, uint32_t row, uint32_t raisedFlags);
void NoteText(const std::string& text);

// Every message box of the run, in order, for tests and the trace.
void RecordMessageBox(const std::string& text);
const std::vector<std::string>& MessageBoxTexts();

}  // namespace platform
