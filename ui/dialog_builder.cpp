#include "ui/dialog_builder.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <cstdlib>

#include "res/qt_resources.h"
#include "ui/icon_button.h"
#include "ui/list_box.h"
#include "ui/titled_frame.h"

int MulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    const long long half = std::llabs(c) / 2;
    const bool negative = (p < 0) != (c < 0);
    const long long q = (std::llabs(p) + half) / std::llabs(c);
    return static_cast<int>(negative ? -q : q);
}

QRect DialogUnitsToPixels(const DialogRect& r) {
    return QRect(MulDiv(r.x, 6, 4), MulDiv(r.y, 13, 8), MulDiv(r.width, 6, 4),
                 MulDiv(r.height, 13, 8));
}

QSize DialogSizeToPixels(int width, int height) {
    return QSize(MulDiv(width, 6, 4), MulDiv(height, 13, 8));
}

QFont DialogFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);  // 8 points at 96 DPI, whatever the screen's resolution
    // The layout was drawn for a slightly narrower face: 4 % less advance
    // keeps the tightest captions ("CDs", "Max. Datengröße:") inside their controls.
    font.setLetterSpacing(QFont::PercentageSpacing, 96);
    return font;
}

// Decoded as PNG directly: guessing the format would load every image
// format plugin at start-up.
QIcon LoadIcon(int id) {
    QIcon icon(QPixmap::fromImage(QImage(IconResourcePath(id), "PNG")));
    for (const int size : IconExtraSizes(id))
        icon.addPixmap(QPixmap::fromImage(QImage(IconResourcePath(id, size), "PNG")));
    return icon;
}

namespace {

Qt::Alignment TextAlignment(uint32_t style) {
    if (style & kAlignCenter) return Qt::AlignHCenter | Qt::AlignVCenter;
    if (style & kAlignRight) return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// A control carries its identifier from the start: the toolkit asks for its
// accessible interface while its text and entries are set, and the window's
// interfaces are chosen by identifier.
template <typename W>
W* Tagged(W* w, const DialogControl& c) {
    w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
    w->setProperty(kControlIdProperty, c.id);
    return w;
}

QWidget* CreateControl(const DialogControl& c, QWidget* surface) {
    const QString text = c.text ? QString::fromUtf8(c.text) : QString();
    QRect geometry = DialogUnitsToPixels(c.rect);
    QWidget* w = nullptr;
    switch (c.cls) {
        case ControlClass::GroupBox:
            w = text.isEmpty() ? new QGroupBox(surface) : new TitledFrame(text, surface);
            break;
        case ControlClass::Static: {
            auto* label = Tagged(new QLabel(surface), c);
            label->setAlignment(TextAlignment(c.style) | Qt::AlignTop);
            label->setTextFormat(Qt::PlainText);
            // A text of several lines starts at the top.
            if (c.style & kWordWrap) {
                label->setWordWrap(true);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            }
            label->setText(text);
            w = label;
            break;
        }
        case ControlClass::Edit: {
            auto* edit = Tagged(new QLineEdit(surface), c);
            edit->setAlignment(TextAlignment(c.style));
            edit->setFrame((c.style & kBorder) != 0);
            edit->setTextMargins(1, 0, 1, 0);
            w = edit;
            break;
        }
        case ControlClass::CheckBox:
            w = new QCheckBox(text, surface);
            break;
        case ControlClass::IconButton:
            w = new IconButton(surface);
            break;
        case ControlClass::ComboBox: {
            auto* combo = Tagged(new QComboBox(surface), c);
            for (const char* item : c.items)
                combo->addItem(QString::fromUtf8(item));
            combo->setCurrentIndex(-1);
            // The rectangle's height includes the drop-down list; the
            // closed box is as high as an edit field.
            geometry.setHeight(MulDiv(13, 13, 8));
            w = combo;
            break;
        }
        case ControlClass::ListBox: {
            auto* list = new ListBox(surface);
            list->setFrameShape((c.style & kBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
            list->setVerticalScrollBarPolicy((c.style & kVerticalScroll) ? Qt::ScrollBarAsNeeded
                                                                         : Qt::ScrollBarAlwaysOff);
            w = list;
            break;
        }
        case ControlClass::Icon: {
            // Shown at its own size from the control's top-left corner,
            // whatever the rectangle.
            auto* label = new QLabel(surface);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setPixmap(LoadIcon(std::atoi(text.toUtf8().constData())).pixmap(32, 32));
            w = label;
            break;
        }
        case ControlClass::PushButton:
            w = new QPushButton(text, surface);
            break;
        case ControlClass::ProgressBar: {
            auto* bar = new QProgressBar(surface);
            bar->setRange(0, 100);
            bar->setValue(0);
            w = bar;
            break;
        }
        case ControlClass::Trackbar: {
            auto* slider = new QSlider(Qt::Horizontal, surface);
            if (c.style & kTickMarks) {
                slider->setTickPosition(QSlider::TicksBelow);
                slider->setTickInterval(1);
            }
            w = slider;
            break;
        }
    }
    Tagged(w, c);
    w->setFocusPolicy((c.style & kTabStop) ? Qt::StrongFocus : Qt::NoFocus);
    if (c.accessibleName) w->setAccessibleName(QString::fromUtf8(c.accessibleName));
    w->setGeometry(geometry);
    return w;
}

}  // namespace

std::map<int, QWidget*> BuildDialogControls(const DialogTemplate& dialog, QWidget* surface) {
    std::map<int, QWidget*> controls;
    for (const DialogControl& c : dialog.controls) {
        QWidget* w = CreateControl(c, surface);
        // Statics without an identifier exist but cannot be looked up.
        if (c.id != -1) controls[c.id] = w;
    }
    return controls;
}

void BuildMenuBar(const MenuTemplate& menu, QMenuBar* bar, std::map<int, QAction*>* actions,
                  std::vector<QMenu*>* popups) {
    for (const MenuItem& popupItem : menu.popups) {
        QMenu* popup = bar->addMenu(QString::fromUtf8(popupItem.text));
        // An open pop-up is heard by its title, without the mnemonic mark.
        popup->setAccessibleName(QString::fromUtf8(popupItem.text).remove(QLatin1Char('&')));
        popups->push_back(popup);
        for (const MenuItem& item : popupItem.children) {
            if (item.id == 0) {
                popup->addSeparator();
                continue;
            }
            QAction* action = popup->addAction(QString::fromUtf8(item.text));
            action->setData(item.id);
            // Only a checked item shows a mark; an unchecked one looks plain.
            action->setCheckable(item.checked);
            action->setChecked(item.checked);
            (*actions)[item.id] = action;
        }
    }
}
