#include "ui/HelpViewer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace vantrel {

void DesktopHelpViewer::Open(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString HelpFilePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vantrel.chm"));
}

} // namespace vantrel
