// "New QFP": four rows of oblong surface-mount pads around a square.
#pragma once

#include "core/length_unit.h"
#include "dialogs/footprint_generator.h"

class CQFP : public CFootprintGenerator {
public:
    static const DialogTemplate& Resource();
    explicit CQFP(int unit = kUnitMm);
    ~CQFP() override { DestroyWindow(); }

    uint32_t m_pinsH = 8;
    uint32_t m_pinsV = 8;
    float m_pitch = 0.8f;
    float m_padWidth = 0.45f;
    float m_padLength = 1.6f;
    float m_offsetX = 4.4f;
    float m_offsetY = 4.4f;

    // Cx and Cy from the pin counts, the pitch and the pad length; shown.
    void UpdateOffsets();

protected:
    std::vector<Field> Fields() override;
    void FieldLeft(int id) override;
    bool ChecksPass() override;
    std::unique_ptr<CFootprint> Build() const override;

private:
    bool CheckPadWidth();
};

struct QfpDimensions {
    uint32_t pinsH = 8; // pins in each horizontal row
    uint32_t pinsV = 8; // pins in each vertical row
    float pitch = 0.8f;
    float padWidth = 0.45f;
    float padLength = 1.6f;
    float offsetX = 4.4f; // centre of the package to the centre of the vertical rows
    float offsetY = 4.4f; // ... and of the horizontal rows
};
std::unique_ptr<CFootprint> BuildQfpFootprint(const QfpDimensions& d, int unit);
