// What a via pad joins where it stands besides the tracks tied to it: the
// copper of the net's component pads that it lies on.
#pragma once

#include <set>

class CNet;
class CPad;

// The copper layers (ids 0-21, planes left out) on which the via pad's
// copper overlaps the copper of a pad of the net's components that has no
// plated hole. A plated pad joins its own layers and the net's planes
// through its hole, so a via on it joins nothing there that the pad does
// not; a pad on one side only reaches the other layers through the via.
std::set<int> ComponentPadLayersUnder(const CPad* via, const CNet* net);
