// The program's globals, which the scenes read: the engine, the music sync
// flags with their callback, the glyphs of the cube letters and the values
// one scene hands to the next; the window procedure and the opening of the
// engine. The scene chain that runs the scenes is above them (show.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "../k3d/k3d.h"

extern Kestrel3D* g_engine;
extern bool g_running;

// Written by the sound thread, read and cleared by the scenes: atomic, relaxed.
extern std::atomic<int32_t> g_syncFlags[7];

inline bool SyncFlag(int n) { return g_syncFlags[n].load(std::memory_order_relaxed) != 0; }
inline void ClearSyncFlag(int n) { g_syncFlags[n].store(0, std::memory_order_relaxed); }

void CALLBACK MusicSyncProc(HSYNC handle, DWORD channel, DWORD data, DWORD user);
bool LoadAssets();
// The files of the data set the show loads, and each loaded again while the
// show runs (--watch): read whole first, a file that is now damaged gives its
// message and leaves what was loaded before (false).
extern const char* const kModuleFile;
extern const char* const kMeshFile;
extern const char* const kMeshListFile;
bool ReloadPicture(size_t index);
bool ReloadGlyph(size_t index);
bool ReloadMeshes();
bool ReloadModule();
// Creates the engine, its window (with the program's window procedure) and
// its GL context: what the show, the tests and the tools start with.
bool OpenEngine(int musicMode, HINSTANCE instance, int showCommand);

extern unsigned char* g_glyphM;
extern unsigned char* g_glyphI;
extern unsigned char* g_glyphR;
extern unsigned char* g_glyphA;
extern unsigned char* g_glyphL;
extern unsigned char* g_glyphQ;
extern unsigned char* g_glyphZ;
extern unsigned char* g_glyphT;
extern unsigned char* g_glyphP;
extern unsigned char* g_glyphDot;
extern unsigned char* g_glyphAt;
extern unsigned char* g_glyphZero;

extern float g_fanAngle;
extern float g_barPhase1;
extern float g_barPhase2;
extern float g_barPhase3;
extern float g_barPhase4;
