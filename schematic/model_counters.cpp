#include "board/board.h"
#include "core/model_services.h"
#include "schematic/wire.h"

void ResetModelCounters() {
    CBoard::ResetNetNameCounter();
    CWire::ResetLastBusEntry();
}
