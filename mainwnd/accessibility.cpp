#include "mainwnd/accessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "core/number_text.h"
#include "core/slider_scale.h"
#include "mainwnd/accessible_text.h"
#include "mainwnd/edit_accessible.h"
#include "mainwnd/status_bar.h"
#include "mainwnd/status_bar_accessible.h"
#include "res/resource_ids.h"
#include "ui/dialog_builder.h"
#include "ui/drop_down_accessible.h"

using namespace res;

namespace {

// A label that shows a value, the caption it is heard with, and for the
// value of a slider that slider.
struct ValueLabel {
    int id;
    int caption;
    int slider;
};
constexpr ValueLabel kValueLabels[] = {
    {kLabelHeader, kCaptionHeader, 0},
    {kLabelAudioData, kCaptionAudioData, 0},
    {kLabelVideoData, kCaptionVideoData, 0},
    {kLabelTotalData, kCaptionTotalData, 0},
    {kLabelTimeSlider, kCaptionTime, kSliderTime},
    {kLabelAudioSlider, kCaptionAudio, kSliderAudio},
    {kLabelVideoSlider, kCaptionVideo, kSliderVideo},
    {kLabelSizeSlider, kCaptionSize, kSliderSize},
};

// The controls each caption labels; 0 ends a list.
struct CaptionLink {
    int caption;
    std::array<int, 3> targets;
};
constexpr CaptionLink kCaptionLinks[] = {
    {kCaptionTime, {kEditHours, kEditMinutes, kEditSeconds}},
    {kCaptionAudio, {kEditAudio, 0, 0}},
    {kCaptionVideo, {kEditVideo, 0, 0}},
    {kCaptionSize, {kEditSize, 0, 0}},
    {kLabelCds, {kEditCdCount, 0, 0}},
    {kCaptionHeader, {kLabelHeader, 0, 0}},
    {kCaptionAudioData, {kLabelAudioData, 0, 0}},
    {kCaptionVideoData, {kLabelVideoData, 0, 0}},
    {kCaptionTotalData, {kLabelTotalData, 0, 0}},
};

int ControlId(const QObject* object) {
    const QVariant id = object->property(kControlIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

const ValueLabel* FindValueLabel(int id) {
    for (const ValueLabel& v : kValueLabels) {
        if (v.id == id) return &v;
    }
    return nullptr;
}

// The control `id` beside `w` on the same surface.
QWidget* Sibling(const QWidget* w, int id) {
    const QWidget* surface = w->parentWidget();
    if (!surface || id == 0) return nullptr;
    for (QObject* child : surface->children()) {
        if (child->isWidgetType() && ControlId(child) == id) return static_cast<QWidget*>(child);
    }
    return nullptr;
}

// A caption's words without the colon that ends them on the screen.
QString CaptionWords(const QWidget* caption) {
    const auto* label = qobject_cast<const QLabel*>(caption);
    QString words = label ? label->text() : QString();
    if (words.endsWith(QLatin1Char(':'))) words.chop(1);
    return words;
}

using Relations = QList<QPair<QAccessibleInterface*, QAccessible::Relation>>;

void AddRelation(Relations* relations, QWidget* other, QAccessible::Relation relation) {
    if (!other) return;
    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(other))
        relations->append({iface, relation});
}

// The captions that label `w`, and the controls that `w` labels if it is a
// caption. The toolkit finds only a caption's one buddy, and a caption here
// may label several fields.
Relations CaptionRelations(const QWidget* w, QAccessible::Relation match) {
    Relations r;
    const int id = ControlId(w);
    for (const CaptionLink& link : kCaptionLinks) {
        const auto& targets = link.targets;
        if ((match & QAccessible::Label) &&
            std::find(targets.begin(), targets.end(), id) != targets.end())
            AddRelation(&r, Sibling(w, link.caption), QAccessible::Label);
        if ((match & QAccessible::Labelled) && link.caption == id) {
            for (int target : targets)
                AddRelation(&r, Sibling(w, target), QAccessible::Labelled);
        }
    }
    return r;
}

// Every static of the window offers its text; a caption names the controls
// it labels.
class StaticAccessible : public ReadOnlyText<QAccessibleWidget> {
public:
    explicit StaticAccessible(QLabel* label)
        : ReadOnlyText<QAccessibleWidget>(label, QAccessible::StaticText) {}

    QString Shown() const override { return static_cast<QLabel*>(widget())->text(); }

    Relations relations(QAccessible::Relation match) const override {
        return QAccessibleWidget::relations(match) + CaptionRelations(widget(), match);
    }
};

// An edit field named by its caption.
class CaptionedEditAccessible : public EditAccessible {
public:
    using EditAccessible::EditAccessible;

    Relations relations(QAccessible::Relation match) const override {
        return QAccessibleWidget::relations(match) + CaptionRelations(widget(), match);
    }
};

// A result or a slider's value: heard as "Gesamtdaten: 1.467.438.112 Byte".
class ValueLabelAccessible : public StaticAccessible {
public:
    ValueLabelAccessible(QLabel* label, const ValueLabel& entry)
        : StaticAccessible(label), m_entry(entry) {}

    using StaticAccessible::text;
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return Shown();
        if (t != QAccessible::Name) return StaticAccessible::text(t);
        const QString caption = CaptionWords(Sibling(widget(), m_entry.caption));
        const QString shown = Shown();
        return shown.isEmpty() ? caption : caption + QStringLiteral(": ") + shown;
    }

    Relations relations(QAccessible::Relation match) const override {
        Relations r = StaticAccessible::relations(match);
        if (match & QAccessible::Controller)
            AddRelation(&r, Sibling(widget(), m_entry.slider), QAccessible::Controller);
        return r;
    }

private:
    ValueLabel m_entry;
};

// A drop-down list whose entry shown is also its text.
class ComboAccessible : public ReadOnlyText<DropDownAccessible> {
public:
    using ReadOnlyText<DropDownAccessible>::ReadOnlyText;
    QString Shown() const override { return Combo()->currentText(); }
};

// A slider: its position as the value, and the value as the user reads it
// beside the slider as its text.
class SliderAccessible : public ReadOnlyText<QAccessibleWidget>, public QAccessibleValueInterface {
public:
    explicit SliderAccessible(QSlider* slider)
        : ReadOnlyText<QAccessibleWidget>(slider, QAccessible::Slider) {}

    QSlider* Slider() const { return static_cast<QSlider*>(widget()); }
    QString Shown() const override {
        return SliderValueText(ControlId(widget()), Slider()->value());
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return ReadOnlyText<QAccessibleWidget>::interface_cast(t);
    }

    using ReadOnlyText<QAccessibleWidget>::text;
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return Shown();
        return QAccessibleWidget::text(t);
    }

    // The label beside the slider shows what it sets.
    Relations relations(QAccessible::Relation match) const override {
        Relations r = QAccessibleWidget::relations(match);
        if (!(match & QAccessible::Controlled)) return r;
        const int id = ControlId(widget());
        for (const ValueLabel& v : kValueLabels) {
            if (v.slider == id) AddRelation(&r, Sibling(widget(), v.id), QAccessible::Controlled);
        }
        return r;
    }

    QVariant currentValue() const override { return Slider()->value(); }
    QVariant maximumValue() const override { return Slider()->maximum(); }
    QVariant minimumValue() const override { return Slider()->minimum(); }
    QVariant minimumStepSize() const override { return Slider()->singleStep(); }
    // Moves the thumb as a key press does, so that the window takes the new
    // value as the user's.
    void setCurrentValue(const QVariant& value) override {
        const int position = std::clamp(value.toInt(), Slider()->minimum(), Slider()->maximum());
        Slider()->setSliderPosition(position);
        Slider()->triggerAction(QAbstractSlider::SliderMove);
    }
};

// The main window's own controls by identifier; of the Info dialog only the
// statics, which offer their text as those of the main window do.
QAccessibleInterface* WindowAccessibleFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    if (className == QLatin1String("StatusBar"))
        return new StatusBarAccessible(static_cast<StatusBar*>(object));
    // The main window is an application's frame: readers look there for
    // its title and its status bar.
    if (className == QLatin1String("CRateDlg"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    if (!object->property(kControlIdProperty).isValid()) return nullptr;
    const int id = ControlId(object);
    if (className == QLatin1String("QLabel")) {
        auto* label = static_cast<QLabel*>(object);
        // An icon stays the toolkit's image.
        if (!label->pixmap().isNull()) return nullptr;
        if (const ValueLabel* entry = FindValueLabel(id))
            return new ValueLabelAccessible(label, *entry);
        return new StaticAccessible(label);
    }
    if (id < kSliderTime || id > kCaptionTime) return nullptr;
    if (className == QLatin1String("QComboBox"))
        return new ComboAccessible(static_cast<QComboBox*>(object));
    if (className == QLatin1String("QSlider"))
        return new SliderAccessible(static_cast<QSlider*>(object));
    if (className == QLatin1String("QLineEdit"))
        return new CaptionedEditAccessible(static_cast<QLineEdit*>(object));
    return nullptr;
}

void SendTextChange(QWidget* control, const QString& before, const QString& now) {
    if (before == now) return;
    QAccessibleTextUpdateEvent text(control, 0, before, now);
    QAccessible::updateAccessibility(&text);
}

}  // namespace

QString SliderValueText(int id, int position) {
    char number[kFormatNumberBufferSize];
    switch (id) {
        case kSliderTime: {
            char text[16];
            std::snprintf(text, sizeof text, "%02d:%02d:%02d", position / 3600, position / 60 % 60,
                          position % 60);
            return QString::fromLatin1(text);
        }
        case kSliderAudio:
            FormatNumber(AudioRateAtPosition(position), number, false);
            return QString::fromLatin1(number) + QStringLiteral(" kBits/s");
        case kSliderVideo:
            FormatNumber(position, number, false);
            return QString::fromLatin1(number) + QStringLiteral(" kBits/s");
        case kSliderSize:
            FormatNumber(SizeBytesAtPosition(position), number, true);
            return QString::fromLatin1(number) + QStringLiteral(" Byte");
        default:
            return QString::number(position);
    }
}

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(WindowAccessibleFactory);
        return true;
    }();
    (void)installed;
}

void WatchControls(const std::map<int, QWidget*>& controls) {
    const auto find = [&](int id) -> QWidget* {
        const auto it = controls.find(id);
        return it == controls.end() ? nullptr : it->second;
    };
    for (int id : {kComboSizeUnit, kComboCdSize}) {
        auto* combo = qobject_cast<QComboBox*>(find(id));
        if (!combo) continue;
        auto shown = std::make_shared<QString>(combo->currentText());
        QObject::connect(combo, &QComboBox::currentTextChanged, combo,
                         [combo, shown](const QString& now) {
                             SendTextChange(combo, *shown, now);
                             *shown = now;
                         });
    }
}

void NotifyTextChanged(QWidget* control, const QString& before) {
    auto* label = qobject_cast<QLabel*>(control);
    if (!label || before == label->text()) return;
    QAccessibleEvent name(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
    SendTextChange(label, before, label->text());
}
