// A compiled HTML help file (.chm), read through chmlib: its pages, pictures and style sheets by
// their path inside the file, and the topic it opens at.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct chmFile;

namespace vantrel {

class HelpFile {
public:
    // Fails (IsOpen() false) when the file is missing or is not a compiled help file.
    explicit HelpFile(const QString& path);
    ~HelpFile();
    HelpFile(const HelpFile&) = delete;
    HelpFile& operator=(const HelpFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // The entry at path, an absolute path inside the file such as "/index.html".
    std::optional<QByteArray> Read(const QString& path) const;
    // The default topic as an absolute path inside the file; "/index.html" when the file names
    // none.
    QString DefaultTopic() const;

private:
    chmFile* file_;
};

} // namespace vantrel
