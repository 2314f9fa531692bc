// Opening the help file at its default topic. This platform has no compiled-help viewer, so the
// help pages are built into the program and shown in a window of its own, which stays open
// beside the main window; the command returns at once.
#pragma once

#include <QPointer>
#include <QString>

class QTextBrowser;

namespace vantrel {

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void Open(const QString& path) = 0;
};

class BuiltInHelpViewer : public HelpViewer {
public:
    ~BuiltInHelpViewer() override;
    // The pages are built in, so the path only names the help file as the platform would.
    void Open(const QString& path) override;

private:
    QPointer<QTextBrowser> window_;
};

// The help file: vantrel.chm in the folder of the executable, links resolved.
QString HelpFilePath();

} // namespace vantrel
