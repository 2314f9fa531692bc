#include "cli/mpi/Messages.h"

#include "cli/mpi/MpiJob.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace vantrel {

namespace {

[[noreturn]] void Malformed(const char* message) {
    throw MpiFailure(std::string("a ") + message + " message is malformed");
}

// Numbers and texts in a byte string, each text preceded by its length.
class Writer {
public:
    template <class T> void Put(T value) {
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void Put(const std::string& text) {
        Put(static_cast<uint64_t>(text.size()));
        bytes += text;
    }
    std::string bytes;
};

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    template <class T> T Get() {
        T value;
        std::memcpy(&value, Take(sizeof value), sizeof value);
        return value;
    }
    std::string GetText() {
        const auto size = Get<uint64_t>();
        if (size > bytes_.size()) Malformed("problem");
        return std::string(Take(static_cast<std::size_t>(size)), static_cast<std::size_t>(size));
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    const char* Take(std::size_t size) {
        if (size > bytes_.size() - at_) Malformed("problem");
        const char* data = bytes_.data() + at_;
        at_ += size;
        return data;
    }
    const std::string& bytes_;
    std::size_t at_ = 0;
};

// A whole number sent as a double, checked on arrival.
std::size_t Whole(double number, double below) {
    if (!(number >= 0 && number < below && std::floor(number) == number)) Malformed("chunk");
    return static_cast<std::size_t>(number);
}

constexpr double Exact = 9007199254740992.0; // 2^53: every whole number below is a double
constexpr std::size_t ValueFields = 4;       // ok, value, recorded, funcsIerr

// An error number sent as a double, checked on arrival.
int32_t Int32(double number) {
    if (!(number >= std::numeric_limits<int32_t>::min() &&
          number <= std::numeric_limits<int32_t>::max() && std::floor(number) == number))
        Malformed("values");
    return static_cast<int32_t>(number);
}

} // namespace

std::string EncodeProblemMessage(const ProblemRead& problem) {
    Writer out;
    out.Put(problem.order);
    out.Put(problem.maxError);
    out.Put(problem.integrand);
    out.Put(static_cast<uint64_t>(problem.constants.size()));
    for (const std::string& constant : problem.constants)
        out.Put(constant);
    for (const LevelRecord& level : problem.levels) {
        out.Put(level.name);
        out.Put(level.lower);
        out.Put(level.upper);
        out.Put(level.minSub);
    }
    return out.bytes;
}

ProblemRead DecodeProblemMessage(const std::string& bytes) {
    Reader in(bytes);
    ProblemRead problem;
    problem.order = in.Get<int32_t>();
    problem.maxError = in.Get<double>();
    problem.integrand = in.GetText();
    const auto constants = in.Get<uint64_t>();
    for (uint64_t i = 0; i < constants; ++i)
        problem.constants.push_back(in.GetText());
    for (int32_t L = 0; L < problem.order && !in.AtEnd(); ++L) {
        LevelRecord level;
        level.name = in.GetText();
        level.lower = in.GetText();
        level.upper = in.GetText();
        level.minSub = in.Get<int32_t>();
        problem.levels.push_back(level);
    }
    if (!in.AtEnd() || problem.order < 1 || problem.levels.size() != std::size_t(problem.order))
        Malformed("problem");
    return problem;
}

std::vector<double> EncodeChunk(const Chunk& chunk) {
    std::vector<double> numbers{double(chunk.level), double(chunk.first)};
    numbers.insert(numbers.end(), chunk.outer.begin(), chunk.outer.end());
    numbers.insert(numbers.end(), chunk.points.begin(), chunk.points.end());
    return numbers;
}

Chunk DecodeChunk(std::span<const double> numbers, int order) {
    if (numbers.size() < 2) Malformed("chunk");
    Chunk chunk;
    chunk.level = static_cast<int>(Whole(numbers[0], order));
    chunk.first = Whole(numbers[1], Exact);
    const auto outer = static_cast<std::size_t>(order - chunk.level - 1);
    if (chunk.level < 1 || numbers.size() < 2 + outer) Malformed("chunk");
    const auto at = numbers.begin() + 2 + static_cast<std::ptrdiff_t>(outer);
    chunk.outer.assign(numbers.begin() + 2, at);
    chunk.points.assign(at, numbers.end());
    return chunk;
}

// Each point: ok, value, recorded, funcsIerr, then its writes.
std::vector<double> EncodeValues(const ChunkValues& values) {
    std::vector<double> numbers{double(values.first), double(values.evaluations), values.seconds};
    const std::size_t perPoint =
        values.values.empty() ? 0 : values.writes.size() / values.values.size();
    for (std::size_t i = 0; i < values.values.size(); ++i) {
        const AheadValue& value = values.values[i];
        numbers.insert(numbers.end(), {value.ok ? 1.0 : 0.0, value.value, double(value.recorded),
                                       double(value.funcsIerr)});
        const auto writes = values.writes.begin() + static_cast<std::ptrdiff_t>(i * perPoint);
        numbers.insert(numbers.end(), writes, writes + static_cast<std::ptrdiff_t>(perPoint));
    }
    return numbers;
}

ChunkValues DecodeValues(std::span<const double> numbers, std::size_t writesPerPoint) {
    const std::size_t perPoint = ValueFields + writesPerPoint;
    if (numbers.size() < 3 || (numbers.size() - 3) % perPoint != 0) Malformed("values");
    ChunkValues values;
    values.first = Whole(numbers[0], Exact);
    values.evaluations = Whole(numbers[1], Exact);
    values.seconds = numbers[2];
    if (!(values.seconds >= 0 && std::isfinite(values.seconds))) Malformed("values");
    for (std::size_t i = 3; i < numbers.size(); i += perPoint) {
        const int32_t recorded = Int32(numbers[i + 2]);
        if (!AheadValue::Records(recorded)) Malformed("values");
        values.values.push_back({.value = numbers[i + 1],
                                 .funcsIerr = Int32(numbers[i + 3]),
                                 .recorded = recorded,
                                 .ok = numbers[i] != 0,
                                 .covered = false});
        const auto writes = numbers.begin() + static_cast<std::ptrdiff_t>(i + ValueFields);
        values.writes.insert(values.writes.end(), writes,
                             writes + static_cast<std::ptrdiff_t>(writesPerPoint));
    }
    return values;
}

} // namespace vantrel
