#include "board/marking_primitive.h"

#include "board/marking.h"

namespace {
MarkingTokenParser g_parser = nullptr;
}

CMarkingPrimitive::CMarkingPrimitive(CMarking* marking)
    : m_pMarking(marking),
      m_width(marking && (marking->m_layer == 30 || marking->m_layer == 31) ? 0.0f : 0.2f) {}

void SetMarkingTokenParser(MarkingTokenParser parser) {
    g_parser = parser;
}

MarkingTokenParser GetMarkingTokenParser() {
    return g_parser;
}
