// Opening the help file. The desktop viewer hands the file to the program that the desktop
// associates with it and returns at once; a missing file is left to that program.
#pragma once

#include <QString>

namespace vantrel {

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void Open(const QString& path) = 0;
};

class DesktopHelpViewer : public HelpViewer {
public:
    void Open(const QString& path) override;
};

// The help file: vantrel.chm in the folder of the executable.
QString HelpFilePath();

} // namespace vantrel
