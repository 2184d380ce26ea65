#include "encodedlg/encode_accessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>

#include "res/resource_ids.h"
#include "ui/dialog_builder.h"

namespace {

class AnnouncedLabelAccessible : public QAccessibleWidget {
public:
    explicit AnnouncedLabelAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override {
        const QString shown = static_cast<QLabel*>(widget())->text();
        if (t == QAccessible::Name || t == QAccessible::Value) return shown;
        return QAccessibleWidget::text(t);
    }
};

// A codec list keeps its own name ("Videocodec"); the entry shown is its
// value, and the entries are its child, the list it drops down.
class CodecListAccessible : public QAccessibleWidget {
public:
    explicit CodecListAccessible(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? Combo()->currentText() : QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == Combo()->view() ? 0 : -1;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.hasPopup = true;
        s.expanded = Combo()->view()->isVisible();
        return s;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override {
        if (actionName != showMenuAction()) return QAccessibleWidget::doAction(actionName);
        if (Combo()->view()->isVisible()) {
            Combo()->hidePopup();
        } else {
            Combo()->showPopup();
        }
    }
};

// Chosen by identifier: the toolkit may ask for a control's interface while
// the control is being built.
QAccessibleInterface* EncodeAccessibleFactory(const QString& className, QObject* object) {
    const int id = object->property(kControlIdProperty).toInt();
    if (className == QLatin1String("QComboBox") &&
        (id == res::kEncodeVideoCodec || id == res::kEncodeAudioCodec))
        return new CodecListAccessible(static_cast<QComboBox*>(object));
    if (className != QLatin1String("QLabel")) return nullptr;
    if (id != res::kEncodeStep && id != res::kEncodeResult) return nullptr;
    return new AnnouncedLabelAccessible(static_cast<QLabel*>(object));
}

}  // namespace

void InstallEncodeAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(EncodeAccessibleFactory);
        return true;
    }();
    (void)installed;
}

void Announce(QLabel* label, const QString& text) {
    label->setText(text);
    if (!QAccessible::isActive()) return;
    QAccessibleEvent named(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    if (!label->isVisible()) return;
    QAccessibleEvent shown(label, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
