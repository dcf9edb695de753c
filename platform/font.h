// Fonts of the board-side surface. A family is looked up by name through the
// one substitution table (platform/font_table.h); a name that is neither
// installed nor substituted gives a family whose status is
// FontFamilyNotFound.
#pragma once

#include "platform/graphics_types.h"

#include <string>

class FontFamily {
public:
    FontFamily() = default;
    explicit FontFamily(const std::wstring& name);
    // The installed sans-serif, serif and monospace families.
    static const FontFamily* GenericSansSerif();
    static const FontFamily* GenericSerif();
    static const FontFamily* GenericMonospace();

    bool IsAvailable() const { return !resolved_.empty(); }
    // The name asked for.
    Status GetFamilyName(std::wstring* name) const;
    const std::wstring& Name() const { return name_; }
    // The installed family used to draw and measure.
    const std::wstring& ResolvedName() const { return resolved_; }
    // Design metrics of the style, in font design units (GetEmHeight per em).
    uint16_t GetEmHeight(int style) const;
    uint16_t GetCellAscent(int style) const;
    uint16_t GetCellDescent(int style) const;
    uint16_t GetLineSpacing(int style) const;
    // FontFamilyNotFound for a missing family; stays until the family changes.
    Status GetLastStatus() const { return status_; }

private:
    std::wstring name_;
    std::wstring resolved_;
    Status status_ = FontFamilyNotFound;
};

class Font {
public:
    Font(const FontFamily* family, float emSize, int style = FontStyleRegular,
         Unit unit = UnitPoint);
    Font(const std::wstring& familyName, float emSize, int style = FontStyleRegular,
         Unit unit = UnitPoint);

    bool IsAvailable() const { return family_.IsAvailable(); }
    Status GetFamily(FontFamily* family) const;
    const FontFamily& Family() const { return family_; }
    float GetSize() const { return size_; }
    int GetStyle() const { return style_; }
    Unit GetUnit() const { return unit_; }
    Status GetLastStatus() const { return status_; }

private:
    FontFamily family_;
    float size_;
    int style_;
    Unit unit_;
    Status status_ = Ok;
};

class StringFormat {
public:
    explicit StringFormat(int formatFlags = 0) : flags_(formatFlags) {}
    static const StringFormat* GenericDefault();
    static const StringFormat* GenericTypographic();

    Status SetAlignment(StringAlignment align) {
        align_ = align;
        return Ok;
    }
    StringAlignment GetAlignment() const { return align_; }
    Status SetLineAlignment(StringAlignment align) {
        lineAlign_ = align;
        return Ok;
    }
    StringAlignment GetLineAlignment() const { return lineAlign_; }
    Status SetFormatFlags(int flags) {
        flags_ = flags;
        return Ok;
    }
    int GetFormatFlags() const { return flags_; }

private:
    int flags_ = 0;
    StringAlignment align_ = StringAlignmentNear;
    StringAlignment lineAlign_ = StringAlignmentNear;
};

// Lays out text (lines split at line feeds) of the given resolved family,
// style and em size (in the caller's units) from a layout origin
// (layoutRect with zero size) or in a layout rectangle by the format's
// alignments; appends the glyph outlines to path when given and writes the
// box of the laid-out lines (advance widths by line spacing) to box.
// Platform internal; Status FontFamilyNotFound when the family is missing.
class GraphicsPath;
Status LayoutTextOutline(const std::wstring& text, const FontFamily& family, int style,
                         float emSize, const RectF& layoutRect, bool useRect,
                         const StringFormat* format, GraphicsPath* path, RectF* box);
