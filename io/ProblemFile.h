// The problem file: a header word, a record line, the constants and one record per level.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct LevelRecord {
    std::string name;  // the level's variable
    std::string lower; // lower-limit expression
    std::string upper; // upper-limit expression
    int32_t minSub = 0;
};

// What Save writes. The order is the order field's value as typed (3.5 is written 3.5), so
// the number of level records is given by `levels`.
struct ProblemToWrite {
    double order = 0;
    double maxError = 0;
    bool computed = false;
    std::string integrand;
    std::vector<std::string> constants;
    double integral = 0; // written only when computed
    std::vector<LevelRecord> levels;
};

// What Open reads.
struct ProblemRead {
    int32_t order = 0;
    double maxError = 0;
    bool computed = false;
    std::string integrand;
    std::vector<std::string> constants;
    double integral = 0;             // meaningful when computed
    std::vector<LevelRecord> levels; // `order` of them, level 0 first
};

struct ReadOutcome {
    enum class Status { Ok, Incompatible, Failed };
    Status status = Status::Failed;
    std::string reason; // for Failed: what is wrong, naming the line
    ProblemRead problem;
};

// The whole file as bytes, every line ending in CR LF. Texts are written as they are (8-bit).
std::string EncodeProblem(const ProblemToWrite& problem);
// Reads a file's bytes field by field. The header must be exactly "Vantrel" (Incompatible
// otherwise); nothing half-read is returned on failure.
ReadOutcome DecodeProblem(const std::string& bytes);

// A problem file is small: anything larger is refused before it is read.
inline constexpr std::size_t MaxProblemFileSize = std::size_t{16} << 20;

// Reads and decodes a regular file of at most MaxProblemFileSize bytes; anything else (a
// folder, a device, a FIFO, a socket, a larger file) and an unreadable file are Failed with
// the reason, without blocking.
ReadOutcome ReadProblemFile(const std::string& path);
// Writes the encoded problem through ReplaceFileContents: a failed save keeps the previous
// file. Returns an empty text on success, else the reason.
std::string WriteProblemFile(const std::string& path, const ProblemToWrite& problem);

// Texts the format cannot carry back unchanged: a constant with a comma or a line end, with
// leading blanks or tabs, or with a leading double quote; a quoted text (integrand, limit,
// name) with a double quote.
bool ConstantFitsFile(const std::string& constant);
bool QuotedTextFitsFile(const std::string& text);

} // namespace vantrel
