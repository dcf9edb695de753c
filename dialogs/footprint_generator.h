// The shared part of the four footprint generator dialogs (SOIC, QFP, BGA,
// DIP): a unit combo box, pin-count and length fields, a picture of the
// package, and OK, which checks the values and builds a footprint.
//
// Leaving a field reads it and runs that field's checks and recalculations
// once the focus has settled (a posted message), so that a message box and
// the focus it moves cannot start the check again. OK reads every field;
// while one is rejected (beep, focus into it) nothing is built and the dialog
// stays open. Pin counts are bounded by what the package can hold.
//
// A generator creates nodes only; the caller names the footprint and puts it
// into a library.
#pragma once

#include "dialogs/vpl_data_exchange.h"
#include "platform/dialog.h"
#include "platform/ui_hooks.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CFootprint;
class CMarking;
class CPadLayer;
class CPadstack;

// What the picture of a generator shows.
enum class PackageKind { Soic, Qfp, Bga, Dip };

class CFootprintGenerator : public PlatformDialog, public CVplDataExchange<CFootprintGenerator> {
public:
    enum ControlId : int {
        kUnit = 1013,
        kPins = 1101,
        kPitch = 1098,
        kPadWidth = 1099,
        kPadLength = 1100,
        kCenter = 1086,
        kPinsH = 1104,
        kPinsV = 1105,
        kOffsetY = 1106,
        kOffsetX = 1107,
        kBall = 1108,
        kBodyWidth = 1109,
        kBodyLength = 1110,
        kMask = 1111,
        kMaskDefined = 1112,
        kMaskLabel = 1113,
        kPicture = 1114,
    };
    // Most pins on one side of a two-row or four-row package, most balls in
    // a row or column of an array.
    static constexpr uint32_t kMaxPinsPerSide = 1000;
    static constexpr uint32_t kMaxBallsPerLine = 100;

    ~CFootprintGenerator() override;

    // The footprint built by OK (null before), handed to the caller.
    std::unique_ptr<CFootprint> TakeFootprint();
    const CFootprint* GetFootprint() const { return m_footprint.get(); }
    PackageKind GetPackageKind() const { return m_kind; }

    // LengthUnit of the fields.
    int m_unit;

protected:
    // A field: a count (bounded by maxCount) or a length in millimetres.
    struct Field {
        int id;
        uint32_t* count;
        float* length;
        uint32_t maxCount;
    };

    CFootprintGenerator(DialogTemplate tmpl, PackageKind kind, int unit);

    // Counts first, then lengths, in member order.
    virtual std::vector<Field> Fields() = 0;
    // The checks and recalculations of leaving a field.
    virtual void FieldLeft(int id) = 0;
    // OK's checks in order; the first that fails shows its message.
    virtual bool ChecksPass() = 0;
    virtual std::unique_ptr<CFootprint> Build() const = 0;
    // Controls beyond the fields (the BGA's check box).
    virtual void ShowExtras() {}
    virtual void ReadExtras() {}
    virtual bool OnExtraCommand(int id, int code) {
        (void)id;
        (void)code;
        return false;
    }

    // Reads one field into its member; false (beep, focus) when rejected.
    bool ReadField(int id);
    void ShowField(int id);
    void ShowFields();
    // The message of a failed check: an error box captioned "Vorpel".
    void ShowCheckMessage(unsigned stringId);

    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override;

private:
    void OnInitDialog();
    void OnOk();
    std::optional<Field> FindField(int id);

    PackageKind m_kind;
    std::unique_ptr<CFootprint> m_footprint;
    int m_pendingField = 0; // a field left, waiting for its check
    bool m_checking = false;
};

// Runs a generator with its defaults (the unit last stored with the board
// settings, when there is one) owned by owner; the footprint built, or null
// when the dialog was cancelled.
std::unique_ptr<CFootprint> RunFootprintGenerator(PackageKind kind, PlatformWindow* owner);

// Pieces the builders share.
namespace FootprintParts {
// A length held as a float, taken as the decimal number it was entered as
// (2.54f as 2.54, not 2.5399999618...): positions computed from it then come
// out as the decimals the user expects (13.97, not 13.969999).
double D(float v);
// The float nearest a computed position.
inline float F(double v) {
    return static_cast<float>(v);
}
CPadstack* AddPadstack(CFootprint* footprint);
CPadLayer* AddPadLayer(CPadstack* padstack, int layer, int shape, double width, double height);
void AddPad(CPadstack* padstack, const std::wstring& number, double x, double y);
CMarking* AddMarking(CFootprint* footprint, int layer);
void AddLine(CMarking* marking, double x1, double y1, double x2, double y2);
void AddRect(CMarking* marking, double x1, double y1, double x2, double y2);
// An open polyline (neither filled nor closed).
void AddPolyline(CMarking* marking, const std::vector<std::pair<double, double>>& points);
void AddDot(CMarking* marking, double x1, double y1, double x2, double y2);
// The grid step of a row of n pins at pitch e: e, halved when n is even so
// that the pads stay on the grid.
double RowGrid(uint32_t n, double e);
// Two rows of n / 2 pads at y = -c / 2 (numbers rising with x) and y = c / 2
// (falling), numbered from 1; after every tenth pad a tick of tickLength on
// the silkscreen, pointing away from the package from tickFrom beyond the
// row's centre line.
void AddTwoRowPads(CPadstack* padstack, CMarking* silkscreen, uint32_t n, double e, double c,
                   double tickFrom, double tickLength);
// The outline of a two-row package's side with the pin-1 notch, at x =
// -(n + 2) e / 4, reaching l / 2 beyond both rows.
void AddNotchedSide(CMarking* silkscreen, uint32_t n, double e, double c, double l);
} // namespace FootprintParts
