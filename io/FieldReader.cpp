#include "io/FieldReader.h"

namespace vantrel {

namespace {

bool EndsField(char c) {
    return c == ',' || c == '\r' || c == '\n';
}

} // namespace

FieldReader::Result FieldReader::Text(std::string& text) {
    if (!StartField()) return Result::EndOfFile;
    if (bytes_[pos_] != '"') {
        const std::size_t start = pos_;
        while (pos_ < bytes_.size() && !EndsField(bytes_[pos_]))
            ++pos_;
        text.assign(bytes_.substr(start, pos_ - start));
        SkipToEndOfField();
        return Result::Ok;
    }
    const std::size_t start = ++pos_;
    while (pos_ < bytes_.size() && bytes_[pos_] != '"') {
        if (bytes_[pos_] == '\r' || bytes_[pos_] == '\n')
            ConsumeLineEnd(); // a quoted text may span lines; they are still counted
        else
            ++pos_;
    }
    if (pos_ >= bytes_.size()) return Result::UnclosedQuote;
    text.assign(bytes_.substr(start, pos_ - start));
    ++pos_;
    SkipToEndOfField();
    return Result::Ok;
}

FieldReader::Result FieldReader::Bare(std::string& text) {
    if (!StartField()) return Result::EndOfFile;
    const std::size_t start = pos_;
    while (pos_ < bytes_.size() && !EndsField(bytes_[pos_]))
        ++pos_;
    std::size_t end = pos_;
    while (end > start && (bytes_[end - 1] == ' ' || bytes_[end - 1] == '\t'))
        --end;
    text.assign(bytes_.substr(start, end - start));
    SkipToEndOfField();
    return Result::Ok;
}

int FieldReader::MissingLine(bool startsLine) const {
    std::size_t end = pos_; // before the blanks in front of the missing field
    while (end > 0 && (bytes_[end - 1] == ' ' || bytes_[end - 1] == '\t'))
        --end;
    const bool afterLineEnd = end == 0 || bytes_[end - 1] == '\r' || bytes_[end - 1] == '\n';
    if (startsLine) return afterLineEnd ? line_ : line_ + 1;
    return afterLineEnd ? line_ - 1 : line_;
}

bool FieldReader::StartField() {
    while (pos_ < bytes_.size() && (bytes_[pos_] == ' ' || bytes_[pos_] == '\t'))
        ++pos_;
    fieldLine_ = line_;
    return pos_ < bytes_.size();
}

void FieldReader::SkipToEndOfField() {
    while (pos_ < bytes_.size() && !EndsField(bytes_[pos_]))
        ++pos_;
    if (pos_ >= bytes_.size()) return;
    if (bytes_[pos_] == ',')
        ++pos_;
    else
        ConsumeLineEnd();
}

void FieldReader::ConsumeLineEnd() {
    if (bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++line_;
}

} // namespace vantrel
