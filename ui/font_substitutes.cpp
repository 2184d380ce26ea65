#include "ui/font_substitutes.h"

#include <QFont>
#include <QFontDatabase>

#include "ui/dialog_builder.h"

QStringList DialogFontSubstitutes() {
    return {QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"), QStringLiteral("Arial"),
            QStringLiteral("Helvetica")};
}

QString InstallDialogFontSubstitutes() {
    const QString family = DialogFont().family();
    QFont::insertSubstitutions(family, DialogFontSubstitutes());
    // Real faces only: fontconfig's aliases would answer for any name. A
    // family that several foundries make is listed as "Family [Foundry]".
    QStringList installed = QFontDatabase::families();
    for (QString& name : installed)
        name = name.section(QStringLiteral(" ["), 0, 0);
    if (installed.contains(family, Qt::CaseInsensitive)) return {};
    for (const QString& substitute : DialogFontSubstitutes()) {
        if (installed.contains(substitute, Qt::CaseInsensitive)) return {};
    }
    return QStringLiteral(
               "tessarin: the font %1 is missing and so are its substitutes (%2), so captions "
               "may be cut; install the package fonts-liberation2")
        .arg(family, DialogFontSubstitutes().join(QStringLiteral(", ")));
}
