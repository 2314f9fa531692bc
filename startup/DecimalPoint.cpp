#include "startup/DecimalPoint.h"

#include "ui/Notices.h"

namespace vantrel {

Message DecimalPoint::Question() {
    Message question;
    question.title = "Decimal Comma Warning!";
    question.text =
        std::string("Proper operation of this application requires the use of the DECIMAL "
                    "POINT.\r") +
        "Your system is currently using the DECIMAL COMMA.\r" + "\r" +
        "Do you wish to temporarily change this system setting to decimal point?\r" +
        "(Upon exiting, this application will restore your setting.)\r" +
        "(See HELP FILE or visit " + MakerWebAddress +
        " for instructions on how to change MANUALLY)\r" + "\r" + "Press YES to change.";
    question.icon = MsgIcon::Critical;
    question.buttons = MsgButtons::YesNoCancel;
    question.defaultButton = MsgResult::Yes;
    return question;
}

bool DecimalPoint::CheckDecimalPoint() {
    GetDecimalSeparator();
    if (SavedSeparator_ == ".") return true;
    if (reporter_.Show(Question()) != MsgResult::Yes) return false;
    SetDecimalPoint();
    return true;
}

void DecimalPoint::GetDecimalSeparator() {
    SavedSeparator_ = locale_.Read();
    const auto zero = SavedSeparator_.find('\0');
    if (zero != std::string::npos) SavedSeparator_.erase(zero);
}

void DecimalPoint::SetDecimalPoint() {
    locale_.Write(".");
}

void DecimalPoint::RestoreDecimalSeparator() {
    locale_.Write(SavedSeparator_);
}

} // namespace vantrel
