#include "core/node_attributes.h"

std::vector<DescribedNodeClass>& DescribedNodeClasses() {
    static std::vector<DescribedNodeClass> classes;
    return classes;
}
