// Keeps the layout's metrics when its font is missing: Qt's font
// substitution maps the dialog font to the first metric-compatible face that
// is installed. It does not install fonts or change the layout.
#pragma once

#include <QString>
#include <QStringList>

// The faces with the dialog font's metrics, in the order they are tried.
QStringList DialogFontSubstitutes();

// Registers the substitutes for the dialog font. Returns an empty string when
// the dialog font or one of its substitutes is installed, otherwise the one
// line to print on standard error. Needs the application object.
QString InstallDialogFontSubstitutes();
