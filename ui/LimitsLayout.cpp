#include "ui/LimitsLayout.h"

namespace vantrel {

namespace {

// Columns of orders 1 to 3, outermost level first.
constexpr LimitsColumn Order1[] = {{0, 9165}};
constexpr LimitsColumn Order2[] = {{0, 2885}, {3180, 5970}};
constexpr LimitsColumn Order3[] = {{0, 1442}, {1740, 2885}, {4920, 4260}};
constexpr LimitsColumn BrowseSlot = {0, 9165};

} // namespace

LimitsColumn LimitsColumnFor(int order, int level) {
    const int fromOuter = order - 1 - level;
    switch (order) {
    case 1:
        return Order1[fromOuter];
    case 2:
        return Order2[fromOuter];
    case 3:
        return Order3[fromOuter];
    default:
        return BrowseSlot;
    }
}

} // namespace vantrel
