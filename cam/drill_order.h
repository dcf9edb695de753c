// The order in which a tool drills its holes: from the origin always to the
// nearest hole not yet drilled.
#pragma once

#include "platform/types.h"

#include <vector>

// Reorders the holes in place. Each step moves the nearest remaining hole
// (by the distance in doubles) into the next place, swapping it with the
// hole there; of equally near holes the one placed first in the list as it
// stands at that step goes. A hole that is not finite leaves the list as it
// is (no file can hold it). Near-linear for holes spread over a board,
// through a k-d tree of the remaining holes.
void OrderHolesNearestFirst(std::vector<PointF>& holes);
