#pragma once
// With QAVEL_TIMING=1 in the environment the window tells on stderr when it was first seen:
//   frame shown MS   the window's first frame on screen (composed with the 3D view, if any)
//   level read MS    the level named at start read and in the window's lists
//   room shown MS    the first frame of the 3D view after that, and how many frames before it
// MS counts from the start of the process (the system's clock of process starts, 10 ms steps on
// Linux, plus the time since), so the dynamic loader's work counts too.

namespace qavel {

class MainWindow;

// Watches the window when QAVEL_TIMING=1; does nothing otherwise. Call before the window shows.
void WatchLaunch(MainWindow& window);

}  // namespace qavel
