#include "encodedlg/encode_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace {

constexpr char kAnnouncedProperty[] = "announced";

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

QAccessibleInterface* EncodeAccessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QLabel") || !object->property(kAnnouncedProperty).toBool())
        return nullptr;
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

void MarkAnnounced(QLabel* label) {
    label->setProperty(kAnnouncedProperty, true);
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
