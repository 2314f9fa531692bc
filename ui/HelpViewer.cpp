#include "ui/HelpViewer.h"

#include <QCoreApplication>
#include <QDir>
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
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vantrel.chm"));
}

} // namespace vantrel
