// What the ranks send each other: the problem, a chunk of points with the state they share, and
// the chunk's values. A message that does not decode throws MpiFailure.
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

struct Chunk {
    int level = 0;
    std::size_t first = 0;     // the index of its first point in the batch
    std::vector<double> outer; // the variable values of the levels outside level
    double pi = 0, halfpi = 0, e = 0, x = 0;
    int32_t ierr = 0;
    std::vector<double> points;
};

std::vector<double> EncodeChunk(const Chunk& chunk);
Chunk DecodeChunk(std::span<const double> numbers, int order);

struct ChunkValues {
    std::size_t first = 0;
    uint64_t evaluations = 0;
    std::vector<AheadValue> values;
};

std::vector<double> EncodeValues(const ChunkValues& values);
ChunkValues DecodeValues(std::span<const double> numbers);

} // namespace vantrel
