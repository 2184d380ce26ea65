#include "encodedlg/encode_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>

#include "res/resource_ids.h"
#include "ui/dialog_builder.h"
#include "ui/drop_down_accessible.h"

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

// Chosen by identifier: the toolkit may ask for a control's interface while
// the control is being built.
QAccessibleInterface* EncodeAccessibleFactory(const QString& className, QObject* object) {
    const int id = object->property(kControlIdProperty).toInt();
    if (className == QLatin1String("QComboBox") &&
        (id == res::kEncodeVideoCodec || id == res::kEncodeAudioCodec))
        return new DropDownAccessible(static_cast<QComboBox*>(object));
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
