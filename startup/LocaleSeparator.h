// Where the decimal separator of the program is read and written. This platform has no
// user-wide setting that a program writes: the user's separator is that of the numeric locale
// of the environment the program starts in (LC_ALL, LC_NUMERIC, LANG), and what is written is
// the number format of this process, the C library's and Qt's, never the environment.
#pragma once

#include <QLocale>

#include <string>

namespace vantrel {

class LocaleSeparator {
public:
    virtual ~LocaleSeparator() = default;
    virtual std::string Read() = 0;
    virtual void Write(const std::string& separator) = 0;
};

class ProcessLocaleSeparator : public LocaleSeparator {
public:
    // Notes the number formats of the process as they are now, to be written back later.
    ProcessLocaleSeparator();
    // The separator of the environment's numeric locale.
    std::string Read() override;
    // The separator found at start brings back the process's formats as they were at
    // construction; "." sets the C numeric locale and the C locale of Qt. Any other separator
    // cannot be made here and also brings back the formats of the start.
    void Write(const std::string& separator) override;

private:
    std::string startSeparator_;
    std::string cNumeric_;
    QLocale qtDefault_;
};

} // namespace vantrel
