// "New SOIC": two rows of oblong surface-mount pads.
#pragma once

#include "core/length_unit.h"
#include "dialogs/footprint_generator.h"

class CSOIC : public CFootprintGenerator {
public:
    static const DialogTemplate& Resource();
    explicit CSOIC(int unit = kUnitMil);
    ~CSOIC() override { DestroyWindow(); }

    uint32_t m_pins = 8;
    float m_pitch = 1.27f;
    float m_padWidth = 0.65f;
    float m_padLength = 1.8f;
    float m_center = 5.6f;

protected:
    std::vector<Field> Fields() override;
    void FieldLeft(int id) override;
    bool ChecksPass() override;
    std::unique_ptr<CFootprint> Build() const override;

private:
    bool CheckPins(bool focus);
    bool CheckPadWidth();
    bool CheckPadLength();
};

// The footprint of n pins (even) at pitch e, pads w by l, rows c apart; all
// lengths in millimetres, unit the LengthUnit it is shown in.
std::unique_ptr<CFootprint> BuildSoicFootprint(uint32_t n, float e, float w, float l, float c,
                                               int unit);
