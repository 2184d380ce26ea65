// What the encode dialog tells assistive technology beyond the toolkit's own
// interfaces: the codec lists keep their names and offer the entry shown as
// their value; the labels that say the step and the result are
// notifications, named by their text, and each new text is announced, so
// that a screen reader speaks it without the focus moving there (as it
// speaks the main window's status bar). The progress bar's value and the
// result lines of the file list are the toolkit's own.
#pragma once

#include <QString>

class QLabel;

// Puts the dialog's interfaces before the others; once per process.
void InstallEncodeAccessibility();
// Shows `text` in the step's or the result's label and announces it.
void Announce(QLabel* label, const QString& text);
