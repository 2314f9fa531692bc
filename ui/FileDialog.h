// The window's file dialog cdbFile: the open-file and save-file dialogs of the file commands.
// A name comes back exactly as typed or picked, with its full path: no file-type filter, no
// default extension, no title of its own, no question before an existing file is replaced and
// no check that the file to open exists. Cancel gives back nothing.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace vantrel {

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // The chosen file's path in the system's file-name encoding, or nothing after Cancel.
    virtual std::optional<std::string> ShowOpen() = 0;
    virtual std::optional<std::string> ShowSave() = 0;
};

// Qt's file dialog. Each dialog starts at the name chosen last, as one dialog control would.
class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget* owner) : owner_(owner) {}
    std::optional<std::string> ShowOpen() override;
    std::optional<std::string> ShowSave() override;

private:
    std::optional<std::string> Show(bool forSaving);

    QWidget* owner_;
    std::string chosen_;
};

} // namespace vantrel
