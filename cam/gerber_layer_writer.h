// Writes one Gerber layer file of a board: the aperture pass, the aperture
// definitions and the plot pass.
#pragma once

#include "cam/box_lookup.h"
#include "cam/cam_settings.h"
#include "cam/clearance_outlines.h"
#include "cam/gerber_apertures.h"
#include "cam/gerber_plot.h"

#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

class CArea;
class CBoard;
class CConductor;
class CFootprint;
class CLayer;
class CMarking;
class CMarkingPrimitive;
class CNet;
class CPad;
class CPadLayer;
class CPadstack;
class CText;
class CTextFile;
class Matrix;

// A box in board millimetres, empty (inverted) unless set.
struct GerberBox {
    float x0 = 0, y0 = 0, x1 = -1, y1 = -1;
    bool Misses(const GerberBox& o) const {
        return o.x0 > x1 || o.x1 < x0 || o.y0 > y1 || o.y1 < y0;
    }
};

class CGerberLayerWriter {
public:
    // outlines: clearance outlines started for the whole export, or null
    // for the writer to build its own.
    CGerberLayerWriter(CTextFile* file, const CamSettings& settings, CBoard* board, int layer,
                       CLayer* layerNode, CClearanceOutlines* outlines = nullptr);

    // The conductors whose clearance outlines the areas of the layer need,
    // with the areas each comes near, in the order the plot needs them.
    static std::vector<ClearanceRequest> ClearanceRequests(CBoard* board, int layer,
                                                           float isolation, float padTol);
    // Helper threads worth starting for so many outlines.
    static unsigned OutlineHelpers(size_t outlines);

    void WriteHeader(const std::wstring& fileName);
    // False when a number of the file is beyond its format (Unwritable).
    bool WriteOutlineFile();
    // False, with nothing written after the header, when an aperture would
    // need a size that is not above zero (InvalidSize); false as well when
    // a number is beyond the format (Unwritable).
    bool WriteLayerFile();
    std::optional<float> InvalidSize() const { return m_apertures.InvalidSize(); }
    std::optional<double> Unwritable() const { return m_plot.Unwritable(); }

private:
    struct PadstackApertureNumbers {
        int pad = 0;
        int clearance = 0;
        int thermal = 0;
    };
    // What an area may have to clear: a pad (of a footprint or a via) or
    // a conductor of a net.
    struct AreaNeighbour {
        const CPadstack* padstack = nullptr;
        const CPad* pad = nullptr;
        const CFootprint* footprint = nullptr;
        const CConductor* conductor = nullptr;
        const CNet* net = nullptr;
    };
    // The conductors of the net on the layer, with the boxes the areas test
    // them by.
    static void AddConductorNeighbours(const CNet* net, int layer, float isolation,
                                       std::vector<AreaNeighbour>* neighbours, CBoxLookup* boxes);

    bool IsPlane() const;
    void AperturePass();
    void PadstackApertures(const CPadstack* padstack, bool openOnly);
    void FootprintApertures(const CFootprint* footprint);
    void MarkingApertures(const CMarking* marking);
    bool MarkingWritten(const CMarking* marking) const;

    void PlotPass();
    void PlotFootprint(const CFootprint* footprint);
    void PlotPadstack(const CPadstack* padstack, const CFootprint* footprint);
    void PlotMarking(const CMarking* marking, PointF offset, const CFootprint* footprint);
    void PlotPrimitive(const CMarkingPrimitive* primitive, PointF offset,
                       const CFootprint* footprint);
    void PlotText(const CText* text, const CFootprint* footprint);
    void StartClearanceOutlines();
    void FindAreaNeighbours();
    void AddPadNeighbours(const CPadstack* padstack, const CFootprint* footprint);
    // index: the area's place in m_areas, the areas of the layer in the
    // order of the board's children.
    void PlotArea(const CArea* area, size_t index);
    void ClearUnderLaterAreas(const CArea* area, const GerberBox& areaBox, size_t index);
    void AreaCutOut(const AreaNeighbour& neighbour, const CArea* area, const FlatPath& areaFlat,
                    const GerberBox& areaBox);
    FlatPath CutOutPath(const CPadLayer* padLayer, const CPad* pad, const CFootprint* footprint,
                        bool thermal, float isolation) const;
    bool TextLayerMatches(int textLayer) const;

    PointF BoardPosition(PointF p, PointF offset, const CFootprint* footprint) const;
    void PlacementMatrix(Matrix* m, PointF offset, const CFootprint* footprint) const;

    CamSettings m_settings;
    CBoard* m_board;
    int m_layer;
    CLayer* m_layerNode;
    CGerberPlotter m_plot;
    CGerberApertureSet m_apertures;
    float m_isolation = 0.3f;
    int m_planeBorder = 0;
    int m_textStroke = 0;
    // Scratch aperture numbers of this file only: nothing carries over from
    // an earlier file.
    std::unordered_map<const CPadstack*, PadstackApertureNumbers> m_padstacks;
    std::unordered_map<const void*, int> m_lineApertures;
    // Clearance outlines of conductors, built once however many areas they
    // come near.
    CClearanceOutlines m_ownOutlines;
    CClearanceOutlines* m_outlines;
    // For each conductor with an outline, the areas still to come near it,
    // and the clear region lines kept for the next of them.
    std::unordered_map<const CConductor*, int> m_regionUses;
    std::unordered_map<const CConductor*, GerberRegionMemo> m_regionMemos;
    // The pads and conductors of the layer in the order an area clears them,
    // found through their boxes: each area looks only at those near it.
    std::vector<AreaNeighbour> m_neighbours;
    CBoxLookup m_neighbourBoxes;
    std::vector<uint32_t> m_found;
    // The areas of the layer and their outlines' bounds grown by the reach
    // of a clearance around them: an area looks only at the later areas
    // whose grown bounds meet its own.
    std::vector<const CArea*> m_areas;
    CBoxLookup m_areaBoxes;
    std::vector<uint32_t> m_laterFound;
};
