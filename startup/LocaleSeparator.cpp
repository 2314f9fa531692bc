#include "startup/LocaleSeparator.h"

#include <clocale>
#include <langinfo.h>
#include <locale.h>

namespace vantrel {

ProcessLocaleSeparator::ProcessLocaleSeparator()
    : startSeparator_(Read()), cNumeric_(std::setlocale(LC_NUMERIC, nullptr)) {}

std::string ProcessLocaleSeparator::Read() {
    locale_t environment = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (environment == static_cast<locale_t>(0))
        return "."; // an unknown locale name falls back to the C locale
    std::string separator = nl_langinfo_l(RADIXCHAR, environment);
    freelocale(environment);
    return separator;
}

void ProcessLocaleSeparator::Write(const std::string& separator) {
    if (separator == "." && separator != startSeparator_) {
        std::setlocale(LC_NUMERIC, "C");
        QLocale::setDefault(QLocale::c());
        return;
    }
    std::setlocale(LC_NUMERIC, cNumeric_.c_str());
    QLocale::setDefault(qtDefault_);
}

} // namespace vantrel
