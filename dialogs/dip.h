// "New DIP": two rows of plated through-hole pads.
#pragma once

#include "core/length_unit.h"
#include "dialogs/footprint_generator.h"

class CDIP : public CFootprintGenerator {
public:
    static const DialogTemplate& Resource();
    explicit CDIP(int unit = kUnitMil);
    ~CDIP() override { DestroyWindow(); }

    uint32_t m_pins = 8;
    float m_pitch = 2.54f;
    float m_center = 7.62f;

protected:
    std::vector<Field> Fields() override;
    void FieldLeft(int id) override;
    bool ChecksPass() override;
    std::unique_ptr<CFootprint> Build() const override;

private:
    bool CheckPins();
};

// The footprint of n pins (even) at pitch e, rows c apart (millimetres); the
// pads and the drill have fixed sizes.
std::unique_ptr<CFootprint> BuildDipFootprint(uint32_t n, float e, float c, int unit);
