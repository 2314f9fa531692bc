// Writes the program's icon for the desktop's icon theme: DIR/NAME.svg and, for each size,
// DIR/SIZExSIZE/NAME.png.
#include "ui/AppIcon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: render_icon DIR NAME SIZE...\n");
        return 2;
    }
    const QDir dir(args[1]);
    const QString& name = args[2];
    QFile svg(dir.filePath(name + ".svg"));
    if (!dir.mkpath(".") || !svg.open(QIODevice::WriteOnly) ||
        svg.write(vantrel::AppIconSvg().toUtf8()) < 0) {
        std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(svg.fileName()));
        return 1;
    }
    for (qsizetype i = 3; i < args.size(); ++i) {
        const int size = args[i].toInt();
        const QString folder = QStringLiteral("%1x%1").arg(size);
        const QString png = dir.filePath(folder + '/' + name + ".png");
        if (size <= 0 || !dir.mkpath(folder) || !vantrel::AppIconImage(size).save(png)) {
            std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(png));
            return 1;
        }
    }
    return 0;
}
