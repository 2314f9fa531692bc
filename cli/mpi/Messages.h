// What the ranks send each other: the problem, a chunk of points with the outer values they
// share, and the chunk's values with what each point wrote. A message that does not decode throws
// MpiFailure.
#pragma once

#include "engine/AheadComputer.h"
#include "io/ProblemFile.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

std::string EncodeProblemMessage(const ProblemRead& problem);
ProblemRead DecodeProblemMessage(const std::string& bytes);

// Points of one level sharing the outer levels' variable values.
struct Chunk {
    int level = 0;
    std::size_t first = 0;     // the index of its first point in the batch
    std::vector<double> outer; // the variable values of the levels outside level
    std::vector<double> points;
};

std::vector<double> EncodeChunk(const Chunk& chunk);
Chunk DecodeChunk(std::span<const double> numbers, int order);

// A chunk's values, each with its PointWrites (writesPerPoint numbers a point).
struct ChunkValues {
    std::size_t first = 0;
    uint64_t evaluations = 0;
    double seconds = 0; // what computing them took the rank
    std::vector<AheadValue> values;
    std::vector<double> writes;
};

std::vector<double> EncodeValues(const ChunkValues& values);
ChunkValues DecodeValues(std::span<const double> numbers, std::size_t writesPerPoint);

} // namespace vantrel
