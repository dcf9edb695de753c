// The baseline of the start-up benchmark: an empty window of the given size
// shown and painted once, with nothing of the program in it.
#pragma once

// Shows the window, processes events until it has been painted, and
// returns 0 (1 when it was never painted).
int ShowBareWindowUntilPainted(int width, int height);
