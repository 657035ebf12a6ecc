#pragma once
// The probe's looks at the program as a process: whether its window still answers, what it
// holds (window system objects, memory), and the loads the soak puts on it (bursts of queued
// messages, resizes from outside).
#include <windows.h>

#include "Json.h"

namespace probe::process {

// SendMessageTimeoutW(WM_NULL) and the time it took: "answered" false after timeoutMs.
JsonObject Ping(HWND window, UINT timeoutMs);

// The window's process: its id, GDI and USER objects (GetGuiResources, with the peaks), memory
// counters (GetProcessMemoryInfo) and kernel handles. Counters the system does not keep read 0.
JsonObject Counters(HWND window);

// count messages sent one after the other, as the system sends a setting change to every
// window (one with a pointer cannot be posted to another process): the whole time, the
// slowest one, and "answered" false when one took longer than timeoutMs.
JsonObject Burst(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int count, UINT timeoutMs);

// SetWindowPos to a new outer size in pixels, as a user's drag of the frame ends; the window's
// rectangle afterwards.
JsonObject Resize(HWND window, int width, int height);

// What count recycle-bin queries (SHQueryRecycleBinW for all bins) leave behind in this
// process's private memory, per query, and how many fixed drives there are (each has a bin of
// its own to ask). Some systems keep memory for good on every query; the soak takes that share
// apart from the program's own.
JsonObject RecycleBinCost(int count);

}  // namespace probe::process
