// A label that shows the integral sign as written on paper: the glyph at the label's font size,
// drawn whole inside the part of the label's box that is on screen. Where the face's sign is
// wider than the box (the free faces draw a broad one with long hooks), it is narrowed to the box
// instead of being cut at its edge.
#pragma once

#include <QLabel>

namespace vantrel {

class IntegralSignLabel : public QLabel {
    Q_OBJECT
public:
    explicit IntegralSignLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vantrel
