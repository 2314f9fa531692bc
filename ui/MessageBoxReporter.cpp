#include "ui/MessageBoxReporter.h"

#include <QMessageBox>
#include <QString>

namespace vantrel {

namespace {
QMessageBox::Icon BoxIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton BoxButton(MsgResult result) {
    switch (result) {
    case MsgResult::Yes:
        return QMessageBox::Yes;
    case MsgResult::No:
        return QMessageBox::No;
    case MsgResult::Cancel:
        return QMessageBox::Cancel;
    case MsgResult::OK:
        break;
    }
    return QMessageBox::Ok;
}

MsgResult Result(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    default:
        return MsgResult::OK;
    }
}
} // namespace

MsgResult MessageBoxReporter::Show(const Message& message) {
    const QString title = QString::fromStdString(message.title.empty() ? AppTitle : message.title);
    QString text = QString::fromStdString(message.text);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox box(BoxIcon(message.icon), title, text, QMessageBox::NoButton, owner_);
    if (message.buttons == MsgButtons::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(BoxButton(message.defaultButton));
    box.setWindowModality(Qt::ApplicationModal);
    return Result(box.exec());
}

} // namespace vantrel
