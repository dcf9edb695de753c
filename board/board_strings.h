// String-table ids of the board-side property rows and messages.
#pragma once

namespace BoardStrings {
constexpr unsigned Number = 147;
constexpr unsigned Unit = 169;
constexpr unsigned UnitInch = 170; // inch, mm, mil, um
constexpr unsigned BoardProperties = 157;
constexpr unsigned FootprintProperties = 175;
constexpr unsigned LayerProperties = 176;
constexpr unsigned PadstackProperties = 177;
constexpr unsigned AreaProperties = 178;
constexpr unsigned ConductorProperties = 179;
constexpr unsigned DrawSketch = 185;
constexpr unsigned GridWidth = 188;
constexpr unsigned GridHeight = 189;
constexpr unsigned NetNotFound = 200;
constexpr unsigned RoundedEnd = 208;
constexpr unsigned NoThermal = 218;
constexpr unsigned ArcOffset = 222;
constexpr unsigned Fixed = 224;
constexpr unsigned Net = 225;
constexpr unsigned X = 261;
constexpr unsigned Y = 262;
constexpr unsigned Placement = 263;
constexpr unsigned Diameter = 264;
constexpr unsigned CustomThermal = 265;
constexpr unsigned IsolationWidth = 266;
constexpr unsigned SpokeWidth = 267;
constexpr unsigned DrillType = 268;
constexpr unsigned MillDiameter = 269;
constexpr unsigned SlotSize = 270;
constexpr unsigned NonPlated = 279;
constexpr unsigned ComponentFixed = 280;
constexpr unsigned PadShapeUndefined = 323; // Undefined, Round, Oblong, Rectangular, Custom
constexpr unsigned PadstackType = 333;
constexpr unsigned Width = 334;
constexpr unsigned Height = 335;
constexpr unsigned Rotation = 352;
constexpr unsigned NoHole = 387; // No hole, Round, Slot, Custom
constexpr unsigned LayersLeftOut = 394;
constexpr unsigned LayersRepeated = 395;
constexpr unsigned ThermalLengthsRepaired = 396;
constexpr unsigned DrillDiameter = 391;
constexpr unsigned PlaceTop = 32901; // Top, Bottom
} // namespace BoardStrings
