// Boxes (board millimetres) sorted into grids of square cells, to find the
// boxes a box may meet without looking at all of them. There is one grid per
// size class, each with cells twice as large as the one before; a box goes
// into the first grid whose cells are at least its size, so it lies in a
// few cells only. A box with a coordinate that is not finite is found by
// every search, and so is every box when the searched box is not finite:
// the caller's exact test decides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CBoxLookup {
public:
    // Numbered in the order added, from 0. The corners may come in either
    // order.
    void Add(float x0, float y0, float x1, float y1);
    // After the last Add, before the first Find.
    void Build();
    // The numbers of every box that meets the closed box (and perhaps a
    // few more), each once, ascending.
    void Find(float x0, float y0, float x1, float y1, std::vector<uint32_t>* found) const;
    std::size_t Size() const { return m_boxes.size(); }

private:
    struct Box {
        float x0, y0, x1, y1;
    };
    struct Entry {
        int64_t cx, cy;
        uint32_t id;
    };
    struct Grid {
        double cell = 1;
        int64_t lastCell = 0; // cell numbers of either axis run from 0 to here
        std::vector<Entry> entries;
    };

    int64_t CellOf(const Grid& grid, double v, double origin) const;
    void FindInGrid(const Grid& grid, const Box& box, std::vector<uint32_t>* found) const;

    std::vector<Box> m_boxes;
    std::vector<uint32_t> m_everywhere; // boxes that are not finite
    std::vector<Grid> m_grids;
    double m_originX = 0, m_originY = 0;
};
