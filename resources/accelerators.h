// Accelerator tables kept as data: virtual key, modifier flags (the F*
// flags of platform/accelerator.h) and command.
#pragma once

#include <cstdint>
#include <vector>

struct AcceleratorResourceEntry {
    uint8_t flags;
    int key;
    int command;
};

// The entries of table id; null for an unknown id.
const std::vector<AcceleratorResourceEntry>* LoadAcceleratorResource(unsigned id);
