// A main window shown and active on the offscreen platform, with recording services.
#pragma once

#include "engine/Dimension.h"
#include "engine/Reporter.h"
#include "ui/HelpViewer.h"
#include "ui/frmVantrel.h"

#include <QApplication>
#include <QTest>

#include <memory>
#include <vector>

namespace vantrel::test {

struct RecordingReporter : Reporter {
    std::vector<Message> shown;
    MsgResult Show(const Message& message) override {
        shown.push_back(message);
        return MsgResult::OK;
    }
};

struct RecordingHelpViewer : HelpViewer {
    std::vector<QString> opened;
    void Open(const QString& path) override { opened.push_back(path); }
};

struct ShownWindow {
    Dimension dim;
    RecordingReporter reporter;
    RecordingHelpViewer help;
    int restored = 0;
    int ended = 0;
    std::unique_ptr<frmVantrel> window;

    ShownWindow() {
        window = std::make_unique<frmVantrel>(dim);
        window->SetReporter(reporter);
        window->SetHelpViewer(help);
        window->SetRestoreDecimalSeparator([this] { ++restored; });
        window->SetEndProgram([this] { ++ended; });
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
};

} // namespace vantrel::test
