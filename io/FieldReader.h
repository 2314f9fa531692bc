// Field-by-field reading of a problem file: a comma or a line end (CR, LF or CR LF) ends a
// field; blanks and tabs in front of a field are skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

class FieldReader {
public:
    enum class Result { Ok, EndOfFile, UnclosedQuote };

    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

    // A text field: one that begins with a double quote runs to the next double quote (the
    // quotes dropped, the rest up to the comma or line end skipped); any other runs to the
    // next comma or line end.
    Result Text(std::string& text);
    // A field as it stands up to the next comma or line end, with the blanks and tabs around
    // it removed; for number and Boolean fields.
    Result Bare(std::string& text);

    // The line on which the field last asked for begins.
    int Line() const { return fieldLine_; }
    // At the end of the bytes, the line where a missing field belongs: the next line for the
    // first field of a line, else the line of the field before it.
    int MissingLine(bool startsLine) const;

private:
    bool StartField();
    void SkipToEndOfField();
    void ConsumeLineEnd();

    std::string_view bytes_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int fieldLine_ = 1;
};

} // namespace vantrel
