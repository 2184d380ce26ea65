#include "res/qt_resources.h"

QString IconResourcePath(int iconId) {
    return QStringLiteral(":/icons/%1.png").arg(iconId);
}
