#include "engine/PointChain.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

void PointChain::Make() {
    if (made_) return;
    made_ = true;
    const std::size_t count = size_;
    kept_.clear();
    size_ = 0;
    double point = first_;
    while (size_ < count) {
        if (size_ % Spacing == 0) kept_.push_back(point);
        ++size_;
        if (!std::isfinite(point)) break;
        point = step_ + point;
    }
}

std::size_t PointChain::MakeBlock(std::size_t block, Block& points) const {
    const std::size_t count = std::min(Spacing, size_ - block * Spacing);
    double point = kept_[block];
    points[0] = point;
    for (std::size_t i = 1; i < count; ++i)
        points[i] = point = step_ + point;
    return count;
}

void PointChain::List(std::vector<double>& points) {
    Make();
    points.resize(size_);
    Block block;
    for (std::size_t k = 0; k < kept_.size(); ++k) {
        const std::size_t count = MakeBlock(k, block);
        std::copy(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(count),
                  points.begin() + static_cast<std::ptrdiff_t>(k * Spacing));
    }
}

} // namespace vantrel
