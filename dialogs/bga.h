// "New BGA": an array of round pads, rows named by letters and columns by
// numbers, optionally with solder-mask-defined openings.
#pragma once

#include "core/length_unit.h"
#include "dialogs/footprint_generator.h"

#include <string>

class CBGA : public CFootprintGenerator {
public:
    static const DialogTemplate& Resource();
    explicit CBGA(int unit = kUnitMm);
    ~CBGA() override { DestroyWindow(); }

    uint32_t m_pinsH = 10; // balls in a row
    uint32_t m_pinsV = 10; // rows
    float m_pitch = 1.0f;
    float m_ball = 0.45f;
    float m_bodyWidth = 11.0f;
    float m_bodyLength = 11.0f;
    int m_maskDefined = 1;
    float m_mask = 0.45f;

    // D and E from the counts and the pitch, to the nearest 0.5 mm; shown.
    void UpdateBodySize();

protected:
    std::vector<Field> Fields() override;
    void FieldLeft(int id) override;
    bool ChecksPass() override;
    std::unique_ptr<CFootprint> Build() const override;
    void ShowExtras() override;
    void ReadExtras() override;
    bool OnExtraCommand(int id, int code) override;

private:
    bool CheckBall();
    void EnableMask();
};

// The name of row r (from 0): A..Y without I, O, Q, S and X, then AA..AY,
// BA..BY, ..., ZA..ZY; empty beyond ZY (440 rows).
std::wstring BgaRowName(uint32_t row);

struct BgaDimensions {
    uint32_t pinsH = 10;
    uint32_t pinsV = 10;
    float pitch = 1.0f;
    float ball = 0.45f;
    float bodyWidth = 11.0f;
    float bodyLength = 11.0f;
    bool maskDefined = true;
    float mask = 0.45f;
};
std::unique_ptr<CFootprint> BuildBgaFootprint(const BgaDimensions& d, int unit);
