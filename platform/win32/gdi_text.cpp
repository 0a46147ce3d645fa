// GDI text: TextOutA's strings go to the text drawn over the frame.
#include <string>

#include "platform/win32.h"
#include "present/overlay.h"
#include "present/window.h"

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    if (!dc || !dc->alive || !text || length < 0) return FALSE;
    platform::present::QueueText(x, y, std::string(text, static_cast<size_t>(length)));
    return TRUE;
}
