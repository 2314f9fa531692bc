// The window of the product's name and notices, used as the splash screen at start and by the
// About command. It has no controls: the caller writes lines on it from the top-left corner,
// one text height apart. A click anywhere in it closes it.
#pragma once

#include <QStringList>
#include <QWidget>

namespace vantrel {

class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Writes one line below those already written.
    void Print(const QString& line);
    // Writes the ten notice lines.
    void PrintNotices();
    const QStringList& Lines() const { return lines_; }
    // True once the window has been painted with the lines it holds at that moment.
    bool Painted() const { return painted_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Form_Click();

    QStringList lines_;
    bool painted_ = false;
};

} // namespace vantrel
