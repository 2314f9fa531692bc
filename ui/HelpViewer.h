// Opening the help file at its default topic. This platform has no compiled-help viewer, so the
// program reads the file itself and shows its pages in a window of its own, which stays open
// beside the main window; the command returns at once.
#pragma once

#include <QPointer>
#include <QString>

namespace vantrel {

class HelpBrowser;

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void Open(const QString& path) = 0;
};

class CompiledHelpViewer : public HelpViewer {
public:
    ~CompiledHelpViewer() override;
    // Shows the file's default topic; a missing or unreadable file is shown as a page naming it.
    void Open(const QString& path) override;

private:
    QPointer<HelpBrowser> window_;
};

// The help file: vantrel.chm in the folder of the executable (symbolic links resolved).
QString HelpFilePath();

} // namespace vantrel
