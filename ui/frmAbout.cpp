#include "ui/frmAbout.h"

#include "ui/Fonts.h"
#include "ui/Look.h"
#include "ui/Notices.h"
#include "ui/Twips.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace vantrel {

frmAbout::frmAbout(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(TwipsToPixels(9600), TwipsToPixels(7200));
    SetBackColour(*this, colour::Black);
    SetTextColour(*this, colour::Orange);
    setFont(SansSerifFont(24, true));
    setCursor(Qt::ArrowCursor);
}

void frmAbout::Print(const QString& line) {
    lines_.append(line);
    painted_ = false;
    update();
}

void frmAbout::PrintNotices() {
    for (const char* line : NoticeLines)
        Print(QString::fromUtf8(line));
}

void frmAbout::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(colour::Orange);
    const QFontMetrics metrics(font());
    int top = 0;
    for (const QString& line : lines_) {
        painter.drawText(0, top + metrics.ascent(), line);
        top += metrics.height();
    }
    painted_ = true;
}

void frmAbout::mousePressEvent(QMouseEvent* event) {
    event->accept();
    Form_Click();
}

void frmAbout::Form_Click() {
    close();
}

} // namespace vantrel
