#include "mainwnd/status_bar_accessible.h"

#include <QPointer>
#include <QWidget>

#include "mainwnd/accessible_text.h"
#include "res/resource_ids.h"

namespace {

constexpr int kWordPart = 1;
constexpr int kIconPart = 2;

// Hiding the bar makes the window lower, so that the bar lies below the
// client area; it is never hidden as a widget.
bool Shown(const StatusBar* bar) {
    const QWidget* client = bar ? bar->parentWidget() : nullptr;
    return client && bar->isVisible() && client->rect().intersects(bar->geometry());
}

QAccessible::State HiddenIfBelow(QAccessible::State s, const StatusBar* bar) {
    if (!Shown(bar)) {
        s.invisible = true;
        s.offscreen = true;
    }
    return s;
}

// What the state icon stands for, by its icon.
QString IconMeaning(int iconId) {
    switch (iconId) {
        case res::kIconChecked:
            return QStringLiteral("Geprüft (grün)");
        case res::kIconUnchecked:
            return QStringLiteral("Ungeprüft (gelb)");
        case res::kIconFaulty:
            return QStringLiteral("Fehlerhaft (rot)");
        default:
            return QString();
    }
}

// One part of the bar: the message (0), the state word (1) or the icon (2).
// A part is heard by what it shows; the icon by the state it stands for. The
// word is a notification named by the whole state, so that readers which
// speak a notification when it shows speak the new state; the message is a
// notification too, for the messages that are announced.
class StatusPartAccessible : public ReadOnlyText<QAccessibleInterface> {
public:
    StatusPartAccessible(StatusBar* bar, int part) : m_bar(bar), m_part(part) {}

    QString Shown() const override { return m_bar ? m_bar->Text(m_part) : QString(); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (m_part == kIconPart && t == QAccessible::TextInterface) return nullptr;
        return ReadOnlyText<QAccessibleInterface>::interface_cast(t);
    }

    bool isValid() const override { return !m_bar.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_bar ? m_bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return m_bar ? QAccessible::queryAccessibleInterface(m_bar.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    using ReadOnlyText<QAccessibleInterface>::text;
    QString text(QAccessible::Text t) const override {
        if (!m_bar) return QString();
        if (m_part == kIconPart) {
            if (t == QAccessible::Name) return QStringLiteral("Statussymbol");
            if (t == QAccessible::Description) return IconMeaning(m_bar->IconId(m_part));
            return QString();
        }
        if (m_part == kWordPart && t == QAccessible::Name &&
            !m_bar->accessibleDescription().isEmpty())
            return m_bar->accessibleDescription();
        if (t == QAccessible::Name) return StatusBar::Spoken(Shown());
        return t == QAccessible::Value ? Shown() : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!m_bar) return QRect();
        const QRect r = m_bar->PartRect(m_part);
        return QRect(m_bar->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override {
        return m_part == kIconPart ? QAccessible::Graphic : QAccessible::Notification;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        return HiddenIfBelow(s, m_bar);
    }

private:
    QPointer<StatusBar> m_bar;
    int m_part;
};

}  // namespace

void AnnouncePart(StatusBar* bar, int part) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(bar);
    QAccessibleInterface* told = iface ? iface->child(part) : nullptr;
    if (!told) return;
    QAccessibleEvent named(told, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    if (!Shown(bar)) return;
    QAccessibleEvent shown(told, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

StatusBarAccessible::StatusBarAccessible(StatusBar* bar)
    : QAccessibleWidget(bar, QAccessible::StatusBar) {
    for (int i = 0; i < StatusBar::kParts; ++i) {
        m_parts[i] = new StatusPartAccessible(bar, i);
        m_partIds[i] = QAccessible::registerAccessibleInterface(m_parts[i]);
    }
}

// The parts go with the bar. At the end of the program the registry may
// have deleted them first; deleting an unknown identifier does nothing.
StatusBarAccessible::~StatusBarAccessible() {
    for (QAccessible::Id id : m_partIds)
        QAccessible::deleteAccessibleInterface(id);
}

QAccessible::State StatusBarAccessible::state() const {
    return HiddenIfBelow(QAccessibleWidget::state(), static_cast<StatusBar*>(widget()));
}

int StatusBarAccessible::childCount() const {
    return StatusBar::kParts;
}

QAccessibleInterface* StatusBarAccessible::child(int index) const {
    return (index >= 0 && index < StatusBar::kParts) ? m_parts[index] : nullptr;
}

int StatusBarAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; i < StatusBar::kParts; ++i) {
        if (m_parts[i] == child) return i;
    }
    return -1;
}

QStringList StatusBarAccessible::actionNames() const {
    return {pressAction()};
}

QString StatusBarAccessible::localizedActionName(const QString& actionName) const {
    return actionName == pressAction() ? QStringLiteral("Neu berechnen")
                                       : QAccessibleWidget::localizedActionName(actionName);
}

QString StatusBarAccessible::localizedActionDescription(const QString& actionName) const {
    return actionName == pressAction() ? QStringLiteral("Neu berechnen")
                                       : QAccessibleWidget::localizedActionDescription(actionName);
}

// What a click on the bar does: the window recalculates.
void StatusBarAccessible::doAction(const QString& actionName) {
    if (actionName != pressAction()) return;
    if (auto* bar = static_cast<StatusBar*>(widget())) Q_EMIT bar->clicked(false);
}

QStringList StatusBarAccessible::keyBindingsForAction(const QString&) const {
    return {};
}
