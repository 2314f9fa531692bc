#include "ui/HelpViewer.h"

#include "ui/HelpFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

#include <memory>

namespace vantrel {

// A text browser whose pages, pictures and style sheets come from one compiled help file. Its
// addresses are chm:/<path inside the file>, so that relative links resolve as on a web server.
class HelpBrowser : public QTextBrowser {
public:
    HelpBrowser() {
        setObjectName(QStringLiteral("helpViewer"));
        setWindowTitle(QStringLiteral("Vantrel Integration Help"));
        resize(720, 600);
    }

    void ShowFile(const QString& path) {
        file_ = std::make_unique<HelpFile>(path);
        const QString topic = file_->IsOpen() ? file_->DefaultTopic() : QString();
        if (file_->IsOpen() && file_->Read(topic)) {
            clearHistory();
            setSource(QUrl(QStringLiteral("chm:") + topic));
            return;
        }
        file_.reset();
        setHtml(
            QStringLiteral("<h2>Help is not available</h2><p>The help file <b>%1</b> is missing "
                           "or cannot be read.</p><p>Vantrel Integration looks for its help "
                           "file vantrel.chm in the folder of the program; installing the "
                           "program again puts it there.</p>")
                .arg(path.toHtmlEscaped()));
    }

    QVariant loadResource(int type, const QUrl& name) override {
        if (!file_) return {};
        const QUrl url = source().resolved(name);
        const std::optional<QByteArray> data = file_->Read(url.path());
        if (!data) return {};
        if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
            return QString::fromUtf8(*data);
        return *data;
    }

private:
    std::unique_ptr<HelpFile> file_;
};

CompiledHelpViewer::~CompiledHelpViewer() {
    delete window_;
}

void CompiledHelpViewer::Open(const QString& path) {
    if (!window_) window_ = new HelpBrowser;
    window_->ShowFile(path);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

QString HelpFilePath() {
    // Started through a link (/usr/bin/vantrel), the folder is the one of the link's target.
    const QFileInfo executable(QCoreApplication::applicationFilePath());
    const QString folder =
        executable.exists() ? executable.canonicalPath() : QCoreApplication::applicationDirPath();
    return QDir(folder).filePath(QStringLiteral("vantrel.chm"));
}

} // namespace vantrel
