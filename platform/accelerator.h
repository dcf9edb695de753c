// Accelerator tables: keys with Ctrl, Shift and Alt that stand for commands.
// A message filter asks TranslateAccelerator with each queued key message;
// a matching key press is sent to the target window as WM_COMMAND with the
// command id in the low word and 1 in the high word, and the key message is
// consumed (it types no character).
#pragma once

#include "platform/messages.h"

#include <cstdint>
#include <vector>

// Flags of an accelerator entry. key is a virtual key code (FVIRTKEY is
// implied: character accelerators are not used).
constexpr uint8_t FVIRTKEY = 0x01;
constexpr uint8_t FSHIFT = 0x04;
constexpr uint8_t FCONTROL = 0x08;
constexpr uint8_t FALT = 0x10;

struct Accelerator {
    uint8_t flags = FVIRTKEY;
    int key = 0;
    int command = 0;
};

class AcceleratorTable {
public:
    AcceleratorTable() = default;
    explicit AcceleratorTable(std::vector<Accelerator> entries) : entries_(std::move(entries)) {}
    // The table of a program resource (resources/accelerators.h); empty for
    // an unknown id.
    static AcceleratorTable FromResource(unsigned id);

    const std::vector<Accelerator>& Entries() const { return entries_; }
    bool IsEmpty() const { return entries_.empty(); }
    // The command of a key with exactly these modifiers (FSHIFT | FCONTROL |
    // FALT bits); 0 when the table has none.
    int Find(int key, uint8_t modifiers) const;

private:
    std::vector<Accelerator> entries_;
};

// The modifiers held now (FSHIFT, FCONTROL, FALT), from the key state.
uint8_t CurrentAcceleratorModifiers();

// For a WM_KEYDOWN or WM_SYSKEYDOWN whose key and held modifiers match an
// entry: sends WM_COMMAND (MAKEWPARAM(command, 1), 0) to target and
// answers true. Anything else answers false.
bool TranslateAccelerator(PlatformWindow* target, const AcceleratorTable& table,
                          const Message* msg);
