// A pool thread's worker: its own copy of the problem, engine and added functions, with what it
// keeps from one point to the next. For the integrator's sources alone.
#pragma once

#include "engine/Integrator.h"
#include "engine/ScriptEnvironment.h"

namespace vantrel {

struct Integrator::Worker {
    explicit Worker(Progress& progress) : eval(d, engine, d.Funcs(), progress) {
        SetUpScriptEnvironment(engine, d.Funcs(), recorded);
    }
    Dimension d;
    ScriptControl engine;
    int32_t recorded = 0;
    Evaluation eval;
    // The last point computed here of a batch launched to the pool, where it wrote every element
    // of the inner levels' arrays.
    struct Point {
        uint64_t launch = 0; // Integrator::launches_ when the batch went to the pool
        std::size_t index = 0;
        bool operator==(const Point&) const = default;
    } lastFull;
    // The points of the chain's block that this thread made last; chainBlock names the batch's
    // launch and the block's first point.
    Point chainBlock;
    // The values of the batch launched then, from index on, are in memory made ready here.
    Point prepared;
    PointChain::Block chainPoints;

    double PointOf(const Batch& batch, std::size_t index) {
        if (!batch.chained) return batch.points[index];
        const Point block{batch.launch, index / PointChain::Spacing * PointChain::Spacing};
        if (!(chainBlock == block)) {
            batch.chain.MakeBlock(block.index / PointChain::Spacing, chainPoints);
            chainBlock = block;
        }
        return chainPoints[index - block.index];
    }
};

} // namespace vantrel
