#include "platform/system_colors.h"

COLORREF GetSysColor(int index) {
    switch (index) {
    case COLOR_WINDOW:
        return 0xFFFFFF;
    case COLOR_WINDOWTEXT:
        return 0x000000;
    case COLOR_APPWORKSPACE:
        return 0xABABAB;
    case COLOR_HIGHLIGHT:
        return 0xD77800;
    case COLOR_HIGHLIGHTTEXT:
        return 0xFFFFFF;
    case COLOR_BTNFACE:
        return 0xF0F0F0;
    case COLOR_BTNSHADOW:
        return 0xA0A0A0;
    case COLOR_GRAYTEXT:
        return 0x6D6D6D;
    case COLOR_BTNTEXT:
        return 0x000000;
    case COLOR_BTNHIGHLIGHT:
        return 0xFFFFFF;
    case COLOR_3DDKSHADOW:
        return 0x696969;
    case COLOR_3DLIGHT:
        return 0xE3E3E3;
    default:
        return 0x000000;
    }
}
