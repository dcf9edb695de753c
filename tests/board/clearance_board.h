// A board whose GND copper area on TOP (isolation 0.35 mm) holds copper of
// other nets of every kind: round, oblong and rectangular pads (one part
// turned by 90 degrees), vias, and a 0.3 mm track with four rounded
// 45-degree bends; GND pads with thermal reliefs and a GND via among them.
// The copper of the other nets is listed here on its own, by hand from the
// board's text, so that the tests measure the gap from the area's copper to
// the true shapes, not to what the program builds of them.
#pragma once

#include "board/clip_polygon.h"
#include "tests/board/track_distance_util.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

inline constexpr double kClearanceIsolation = 0.35;

inline const char* const kClearanceBoard = R"(<?xml version="1.0" encoding="UTF-8" ?>
<Project>
  <Board Outline="LIN0,0 LIN60,0 LIN60,36 LIN0,36">Clearances
    <Layer>TOP</Layer>
    <Layer>I01</Layer>
    <Layer>I02</Layer>
    <Layer>BOT</Layer>
    <Properties ConductorWidth="0.3" IsolationWidth="0.35" SpokeWidth="0.3">
      <Thermal Isolation="0.35" Spoke="0.3"/>
    </Properties>
    <Package>
      <Pin NetName="S1" Num="1"/>
      <Pin NetName="S2" Num="2"/>
      <Pin NetName="S3" Num="3"/>
      <Pin NetName="GND" Num="4"/>
      <Pin NetName="S5" Num="5"/>
      <Pin NetName="S6" Num="6"/>
      <Pin NetName="S7" Num="7"/>
      <Footprint XY="12,20">DIP8
        <Padstack>PIN1
          <PadLayer Shape="RECT" Size="1.6,1"/>
          <PadLayer Layer="BOT" Shape="RECT" Size="1.6,1"/>
          <Drill Diam="0.8"/>
          <Pad Num="1" XY="-3.81,3.81"/>
        </Padstack>
        <Padstack>PIN
          <PadLayer Shape="OBLONG" Size="1.6,1"/>
          <PadLayer Layer="BOT" Shape="OBLONG" Size="1.6,1"/>
          <Drill Diam="0.8"/>
          <Pad Num="2" XY="-3.81,1.27"/>
          <Pad Num="3" XY="-3.81,-1.27"/>
          <Pad Num="4" XY="-3.81,-3.81"/>
          <Pad Num="5" XY="3.81,-3.81"/>
          <Pad Num="6" XY="3.81,-1.27"/>
          <Pad Num="7" XY="3.81,1.27"/>
          <Pad Num="8" XY="3.81,3.81"/>
        </Padstack>
      </Footprint>
    </Package>
    <Package>
      <Pin NetName="GND" Num="1"/>
      <Pin NetName="S2" Num="2"/>
      <Footprint XY="30,26">R0805
        <Padstack>PAD
          <PadLayer Shape="RECT" Size="1,1.3"/>
          <Pad Num="1" XY="-0.95,0"/>
          <Pad Num="2" XY="0.95,0"/>
        </Padstack>
      </Footprint>
    </Package>
    <Package>
      <Pin NetName="S1" Num="1"/>
      <Pin NetName="S3" Num="2"/>
      <Footprint Rotation="90" XY="45,25">R0805
        <Padstack>PAD
          <PadLayer Shape="RECT" Size="1,1.3"/>
          <Pad Num="1" XY="-0.95,0"/>
          <Pad Num="2" XY="0.95,0"/>
        </Padstack>
      </Footprint>
    </Package>
    <Package>
      <Pin NetName="S3" Num="1"/>
      <Pin NetName="GND" Num="2"/>
      <Footprint XY="38,20">CONN2
        <Padstack>ROUND
          <PadLayer Shape="ROUND" Size="1.7,1.7"/>
          <Drill Diam="1"/>
          <Pad Num="1" XY="0,0"/>
          <Pad Num="2" XY="2.54,0"/>
        </Padstack>
      </Footprint>
    </Package>
    <Net>S1
      <Padstack>VIA
        <PadLayer Size="0.6,0.6"/>
        <Drill Diam="0.3"/>
        <Pad XY="20,8"/>
      </Padstack>
    </Net>
    <Net>S3
      <Padstack>VIA
        <PadLayer Size="0.8,0.8"/>
        <Drill Diam="0.4"/>
        <Pad XY="42,12"/>
      </Padstack>
    </Net>
    <Net>GND
      <Padstack>VIA
        <PadLayer Size="0.6,0.6"/>
        <Drill Diam="0.3"/>
        <Pad XY="25,30"/>
      </Padstack>
    </Net>
    <Net>S4
      <Conductor Layer="TOP" Width="0.3">1,5 15,5,2 22,12,2 30,12,2 37,5,2 50,5</Conductor>
    </Net>
    <Area Layer="TOP" Net="GND">LIN2,2 LIN48,2 LIN48,33 LIN2,33</Area>
  </Board>
</Project>
)";

// An axis-parallel rectangle of copper: centre and half sizes.
struct CopperBox {
    double x, y, hw, hh;
};

// The copper of the other nets on TOP: round things as centre-line pieces
// with their half widths (a pad or via is a piece of no length), and the
// rectangular pads.
struct ForeignCopper {
    std::vector<TrackPiece> pieces;
    std::vector<double> halfWidths;
    std::vector<CopperBox> boxes;
};

inline ForeignCopper ClearanceBoardForeignCopper() {
    ForeignCopper f;
    auto dot = [&](double x, double y, double d) {
        f.pieces.push_back({x, y, x, y});
        f.halfWidths.push_back(d / 2);
    };
    // DIP8 at (12, 20): pin 1 rectangular, pins 2 to 8 lying oblongs 1.6 x
    // 1 (pin 4 is GND).
    f.boxes.push_back({12 - 3.81, 20 + 3.81, 0.8, 0.5});
    const double pins[][2] = {{-3.81, 1.27}, {-3.81, -1.27}, {3.81, -3.81},
                              {3.81, -1.27}, {3.81, 1.27},   {3.81, 3.81}};
    for (const auto& p : pins) {
        const double x = 12 + p[0], y = 20 + p[1];
        f.pieces.push_back({x - 0.3, y, x + 0.3, y});
        f.halfWidths.push_back(0.5);
    }
    // R0805 at (30, 26): pad 2 only (pad 1 is GND).
    f.boxes.push_back({30.95, 26, 0.5, 0.65});
    // R0805 turned by 90 degrees at (45, 25): both pads, now 1.3 x 1.
    f.boxes.push_back({45, 25 - 0.95, 0.65, 0.5});
    f.boxes.push_back({45, 25 + 0.95, 0.65, 0.5});
    // CONN2 at (38, 20): pad 1 (pad 2 is GND).
    dot(38, 20, 1.7);
    // Vias of S1 and S3.
    dot(20, 8, 0.6);
    dot(42, 12, 0.8);
    // The track of S4 with its four bends.
    for (const TrackPiece& p :
         RoundedTrack({{1, 5, 0}, {15, 5, 2}, {22, 12, 2}, {30, 12, 2}, {37, 5, 2}, {50, 5, 0}})) {
        f.pieces.push_back(p);
        f.halfWidths.push_back(0.15);
    }
    return f;
}

inline double PointToBox(const CopperBox& b, double x, double y) {
    return std::hypot(std::max(0.0, std::fabs(x - b.x) - b.hw),
                      std::max(0.0, std::fabs(y - b.y) - b.hh));
}

// Whether segments ab and cd cross or touch.
inline bool SegmentsMeet(double ax, double ay, double bx, double by, double cx, double cy,
                         double dx, double dy) {
    auto cross = [](double ox, double oy, double px, double py, double qx, double qy) {
        return (px - ox) * (qy - oy) - (py - oy) * (qx - ox);
    };
    const double d1 = cross(cx, cy, dx, dy, ax, ay), d2 = cross(cx, cy, dx, dy, bx, by);
    const double d3 = cross(ax, ay, bx, by, cx, cy), d4 = cross(ax, ay, bx, by, dx, dy);
    return ((d1 > 0) != (d2 > 0) || d1 == 0 || d2 == 0) &&
           ((d3 > 0) != (d4 > 0) || d3 == 0 || d4 == 0);
}

// The gap between the polygon's copper and the box; 0 when they meet.
inline double BoxToPolygonDistance(const CopperBox& b, const CClipPolygon& polygon) {
    if (InsidePolygon(polygon, b.x, b.y))
        return 0;
    const double corners[4][2] = {{b.x - b.hw, b.y - b.hh},
                                  {b.x + b.hw, b.y - b.hh},
                                  {b.x + b.hw, b.y + b.hh},
                                  {b.x - b.hw, b.y + b.hh}};
    double d = std::numeric_limits<double>::infinity();
    for (const CClipContour& c : polygon.Contours()) {
        const auto& v = c.Vertices();
        for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
            d = std::min(d, PointToBox(b, v[i].X, v[i].Y));
            for (int k = 0; k < 4; ++k) {
                const auto& p = corners[k];
                const auto& q = corners[(k + 1) % 4];
                if (SegmentsMeet(v[j].X, v[j].Y, v[i].X, v[i].Y, p[0], p[1], q[0], q[1]))
                    return 0;
                d = std::min(d, DistanceToSegment(v[j].X, v[j].Y, v[i].X, v[i].Y, p[0], p[1]));
            }
        }
    }
    return d;
}

// The gap between the polygon's copper and one shape of the other nets.
struct ShapeGap {
    double gap = 0;
    bool flattened = false; // a pad or via whose clearance has flattened arcs
    std::string what;
};

// The gap to each shape of the other nets (negative when copper reaches
// into one).
inline std::vector<ShapeGap> GapsToForeignCopper(const CClipPolygon& copper,
                                                 const ForeignCopper& f) {
    std::vector<ShapeGap> gaps;
    for (size_t i = 0; i < f.pieces.size(); ++i) {
        const TrackPiece& p = f.pieces[i];
        const bool dot = p.ax == p.bx && p.ay == p.by;
        // Straight pieces are nearest the copper at an end of one of the
        // edges: only arcs need points along them.
        const double d = TrackToPolygonDistance({p}, copper, p.arc ? 0.002 : 1e9);
        gaps.push_back({d - f.halfWidths[i], dot,
                        std::string(p.arc ? "arc"
                                    : dot ? "pad"
                                          : "piece") +
                            " from " + std::to_string(p.ax) + "," + std::to_string(p.ay)});
    }
    for (const CopperBox& b : f.boxes)
        gaps.push_back({BoxToPolygonDistance(b, copper), false,
                        "box at " + std::to_string(b.x) + "," + std::to_string(b.y)});
    return gaps;
}
