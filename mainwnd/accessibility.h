// What the main window tells assistive technology beyond the toolkit's own
// interfaces: value labels heard with their caption and current text,
// drop-down lists named by their purpose with the entry as their value,
// sliders with their value as the user reads it, captions linked to the
// controls they label, and the status bar (status_bar_accessible.h). Nothing
// here changes what is shown or how a control behaves.
#pragma once

#include <QString>
#include <map>

class QWidget;

// Puts the window's own interfaces before the toolkit's; once per process.
void InstallAccessibility();

// Watches the drop-down lists, so that a change of entry is heard; called
// once the window's controls exist.
void WatchControls(const std::map<int, QWidget*>& controls);

// A control's text has changed from `before` to what it shows now: a value
// label reports its new name and text, so that a reader that watches it can
// speak the new value.
void NotifyTextChanged(QWidget* control, const QString& before);

// The value of slider `id` at `position` as the user reads it beside the
// slider: "01:30:00", "128 kBits/s", "1995 kBits/s", "1.468.006.400 Byte".
QString SliderValueText(int id, int position);
