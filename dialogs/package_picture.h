// The picture of a generator dialog: the land pattern of the package with
// the letters of its dimensions (e pitch, W and L pad width and length, C
// centre-to-centre, Cx and Cy offsets, b ball, D and E body), drawn in code
// and scaled to the control.
#pragma once

#include "dialogs/footprint_generator.h"
#include "platform/static_control.h"

class Graphics;

class CPackagePicture : public StaticControl {
public:
    explicit CPackagePicture(PackageKind kind) : m_kind(kind) {}
    ~CPackagePicture() override { DestroyWindow(); }

    // Draws the picture into a box of the given size at the origin of g.
    static void Draw(Graphics& g, PackageKind kind, int width, int height);

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    PackageKind m_kind;
};
