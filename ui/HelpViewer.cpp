#include "ui/HelpViewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

namespace vantrel {

BuiltInHelpViewer::~BuiltInHelpViewer() {
    delete window_;
}

void BuiltInHelpViewer::Open([[maybe_unused]] const QString& path) {
    if (!window_) {
        window_ = new QTextBrowser;
        window_->setObjectName(QStringLiteral("helpViewer"));
        window_->setWindowTitle(QStringLiteral("Vantrel Integration Help"));
        window_->setOpenExternalLinks(true);
        window_->resize(640, 520);
    }
    window_->setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
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
