// A frame as the windows are designed with: an etched border whose top line runs through the
// middle of the caption, the caption set in from the left edge on the frame's own background.
// The controls inside are placed in the frame's coordinates from its top-left corner, so the
// border must stay above the first row of controls whatever the style would do with a group box.
#pragma once

#include <QGroupBox>

namespace vantrel {

class CaptionedFrame : public QGroupBox {
    Q_OBJECT
public:
    CaptionedFrame(const QString& caption, QWidget* parent);

    // Where the caption's text begins, from the frame's left edge, in pixels.
    static constexpr int CaptionIndent = 8;
    QRect CaptionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vantrel
