// Node type ids: given to a node's constructor, kept in its XML element and
// never changed afterwards. Code that needs to know what a node is without
// knowing its class compares these.
#pragma once

namespace NodeType {
constexpr int Plain = 0; // a tag that names no class, and every document root
constexpr int Project = 1;
constexpr int SymbolLibrary = 2;
constexpr int FootprintLibrary = 3;
constexpr int PadstackFolder = 4;
constexpr int FootprintFolder = 5;
constexpr int SymbolFolder = 6;
constexpr int Block = 7;
constexpr int Board = 8;
constexpr int Layer = 9;
constexpr int ThermalRelief = 10;
constexpr int Mounting = 11;
constexpr int BoardProperties = 12;
constexpr int PadLayer = 13;
constexpr int Padstack = 14;
constexpr int Pad = 15;
constexpr int Marking = 16;
constexpr int Drill = 17;
constexpr int Footprint = 18;
constexpr int Conductor = 19;
constexpr int Area = 20;
constexpr int Sheet = 21;
constexpr int Package = 22;
constexpr int Part = 23;
constexpr int Pin = 24;
constexpr int Net = 25;
constexpr int Wire = 26;
constexpr int Bus = 27;
constexpr int Text = 28;
} // namespace NodeType
