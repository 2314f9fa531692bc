#include "ui/ProgressWindow.h"

#include "engine/Reporter.h"
#include "ui/Fonts.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace vantrel {

namespace {
// Minutes and seconds, with the hours in front once there are any: "0:07", "1:02:03".
QString ClockText(std::chrono::steady_clock::duration elapsed) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    const auto twoDigits = [](long long n) { return QString::number(n).rightJustified(2, '0'); };
    const QString minutesAndSeconds =
        QString::number(seconds / 60 % 60) + ':' + twoDigits(seconds % 60);
    if (seconds < 3600) return minutesAndSeconds;
    return QString::number(seconds / 3600) + ':' + minutesAndSeconds.rightJustified(5, '0');
}
} // namespace

ProgressWindow::ProgressWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("frmProgress");
    setWindowTitle(AppTitle);
    setWindowModality(Qt::ApplicationModal);
    setFont(SansSerifFont(8.25));

    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const auto addRow = [&](const QString& caption, const QString& objectName) {
        const int row = layout->rowCount();
        layout->addWidget(new QLabel(caption, this), row, 0);
        auto* value = new QLabel(this);
        value->setObjectName(objectName);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance("0000000000000"));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(value, row, 1);
        return value;
    };
    lblElapsed = addRow("Elapsed time:", "lblElapsed");
    lblEvaluations = addRow("Integrand evaluations:", "lblEvaluations");

    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setAutoDefault(false);
    layout->addWidget(cmdCancel, layout->rowCount(), 0, 1, 2, Qt::AlignHCenter);
    connect(cmdCancel, &QPushButton::clicked, this, &ProgressWindow::reject);
}

void ProgressWindow::ShowProgress(std::chrono::steady_clock::duration elapsed,
                                  uint64_t evaluations) {
    lblElapsed->setText(ClockText(elapsed));
    lblEvaluations->setText(QString::number(evaluations));
}

void ProgressWindow::reject() {
    // The window stays up, so that nothing reaches the main window, until the computation
    // has ended and closes it.
    cancelled_ = true;
    cmdCancel->setEnabled(false);
}

ComputationProgress::ComputationProgress(QWidget& owner, Clock now)
    : owner_(owner), now_(std::move(now)), start_(now_()) {}

ComputationProgress::~ComputationProgress() {
    if (!window_) return;
    // The keyboard goes back to the window it came from, as it would after a message box.
    const bool active = window_->isActiveWindow();
    delete window_;
    if (active) owner_.activateWindow();
}

bool ComputationProgress::operator()(uint64_t evaluations) {
    const auto elapsed = now_() - start_;
    if (!window_) {
        if (elapsed < ShowAfter) return false;
        window_ = new ProgressWindow(&owner_);
        window_->show();
    }
    window_->ShowProgress(elapsed, evaluations);
    QCoreApplication::processEvents();
    return window_ && window_->Cancelled();
}

} // namespace vantrel
