// Joining the pieces of a DXF drawing end to start into one closed figure.
#pragma once

#include <vector>

class CAreaNode;

// Two points are one when they differ by no more than 0.0001 in x and in y.
bool DxfPointsCoincide(float ax, float ay, float bx, float by);

// One piece of the figure being joined: the outline node it made (which
// holds the piece's start point) and the piece's end point.
struct DxfChainItem {
    CAreaNode* node = nullptr;
    float endX = 0;
    float endY = 0;

    // Runs the piece the other way.
    void Reverse();
};

// Puts the pieces in an order in which each one starts where the one before
// it ends and the last ends where the first starts, reversing pieces as
// needed. The first piece stays first and keeps its direction; each step
// takes, of the pieces not yet placed, the one earliest in the current order
// that has an end where the last placed piece ends. False (the order and
// directions then are of no use) when the pieces form no single closed
// figure, or there are none.
bool JoinDxfChain(std::vector<DxfChainItem>& items);
