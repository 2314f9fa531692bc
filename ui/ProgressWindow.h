// The progress of a long computation: a small application-modal window with the elapsed time,
// the integrand evaluations so far and a Cancel button, and the poll that the integrator calls
// while it computes, which opens that window once the computation has run for a while.
#pragma once

#include <QDialog>
#include <QPointer>

#include <chrono>
#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;

namespace vantrel {

class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    void ShowProgress(std::chrono::steady_clock::duration elapsed, uint64_t evaluations);
    // Cancel was clicked, or the window was closed by Esc or its close box.
    bool Cancelled() const { return cancelled_; }
    void reject() override;

    QLabel* lblElapsed = nullptr;
    QLabel* lblEvaluations = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    bool cancelled_ = false;
};

// One computation's progress. Call it with the evaluations so far; true means cancel. The
// window opens after ShowAfter and closes when the progress ends. Input to the other windows
// is blocked while it shows; until then the computation handles no window events at all.
class ComputationProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds ShowAfter{500};

    ComputationProgress(QWidget& owner, Clock now);
    ~ComputationProgress();
    ComputationProgress(const ComputationProgress&) = delete;
    ComputationProgress& operator=(const ComputationProgress&) = delete;

    bool operator()(uint64_t evaluations);

private:
    QWidget& owner_;
    Clock now_;
    std::chrono::steady_clock::time_point start_;
    QPointer<ProgressWindow> window_;
};

} // namespace vantrel
