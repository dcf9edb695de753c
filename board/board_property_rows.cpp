// Property rows of the board-side objects.
#include "board/area.h"
#include "board/board.h"
#include "board/conductor.h"
#include "board/footprint.h"
#include "board/layer.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"

void CArea::FillPropertyGrid() {}
void CArea::ApplyPropertyChange(int) {}
void CBoard::FillPropertyGrid() {}
void CBoard::ApplyPropertyChange(int) {}
void CConductor::FillPropertyGrid() {}
void CConductor::ApplyPropertyChange(int) {}
void CFootprint::FillPropertyGrid() {}
void CFootprint::ApplyPropertyChange(int) {}
void CLayer::FillPropertyGrid() {}
void CLayer::ApplyPropertyChange(int) {}
void CPad::FillPropertyGrid() {}
void CPad::ApplyPropertyChange(int) {}
void CPadLayer::FillPropertyGrid() {}
void CPadLayer::ApplyPropertyChange(int) {}
void CPadstack::FillPropertyGrid() {}
void CPadstack::ApplyPropertyChange(int) {}
