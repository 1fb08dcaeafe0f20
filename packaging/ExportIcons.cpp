// Writes the program's icon into a hicolor icon theme tree, under the
// application id, at the sizes desktops look for and as SVG.
#include <QDir>
#include <QFile>
#include <cstdio>

#include "window/AppIcon.h"

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s THEME_DIR APP_ID\n", argv[0]);
        return 2;
    }
    const QString theme = QString::fromLocal8Bit(argv[1]);
    const QString id = QString::fromLocal8Bit(argv[2]);
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(theme).arg(size);
        if (!QDir().mkpath(folder) || !AppIconImage(size).save(folder + QLatin1Char('/') + id + ".png")) {
            std::fprintf(stderr, "cannot write the %dpx icon in %s\n", size, qPrintable(folder));
            return 1;
        }
    }
    const QString scalable = theme + QStringLiteral("/scalable/apps");
    QFile svg(scalable + QLatin1Char('/') + id + ".svg");
    if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly) || svg.write(AppIconSvg().toUtf8()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(svg.fileName()));
        return 1;
    }
    return 0;
}
