// Turns the data tables of a dialog template and a menu into Qt widgets with
// absolute geometry. Dialog units become pixels with the base units of an
// 8-point dialog font at 96 DPI (6 × 13), rounded as MulDiv rounds.
#pragma once

#include <QFont>
#include <QRect>
#include <map>
#include <vector>

#include "res/dialog_template.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The property that holds a created control's identifier.
inline constexpr char kControlIdProperty[] = "controlId";

// a × b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c);
QRect DialogUnitsToPixels(const DialogRect& r);
QSize DialogSizeToPixels(int width, int height);

// The dialog's font: a sans serif metric-compatible with the 8-point dialog
// font the layout was drawn for.
QFont DialogFont();

// Creates every control of `dialog` as a child of `surface`, in template
// order, and returns them by identifier (those with identifier -1 are created
// but not returned).
std::map<int, QWidget*> BuildDialogControls(const DialogTemplate& dialog, QWidget* surface);

// Fills `bar` with the pop-ups of `menu`. Item actions carry their command
// identifier as data and are returned by identifier; pop-ups in bar order.
void BuildMenuBar(const MenuTemplate& menu, QMenuBar* bar, std::map<int, QAction*>* actions,
                  std::vector<QMenu*>* popups);

// The icon resource `id` (one of the res::kIcon… numbers), with every size it
// is drawn at.
QIcon LoadIcon(int id);
