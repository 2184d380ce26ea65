#include "ui/dialog_style.h"

#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyleFactory>

DialogStyle::DialogStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

QRect DialogStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                  SubControl sub, const QWidget* widget) const {
    QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
    if (control != CC_ComboBox) return r;
    const QRect arrow = QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
    const int gain = arrow.width() - kComboArrowWidth;
    if (gain <= 0) return r;
    if (sub == SC_ComboBoxArrow) r.setLeft(r.left() + gain);
    if (sub == SC_ComboBoxEditField) r.setRight(r.right() + gain);
    return r;
}

namespace {

// An icon decoded from a PNG resource the first time it is drawn.
class LazyPngIconEngine : public QIconEngine {
public:
    explicit LazyPngIconEngine(QString path) : m_path(std::move(path)) {}
    QIconEngine* clone() const override { return new LazyPngIconEngine(m_path); }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        if (m_pixmap.isNull()) m_pixmap = QPixmap::fromImage(QImage(m_path, "PNG"));
        return m_pixmap.isNull()
                   ? m_pixmap
                   : m_pixmap.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

private:
    QString m_path;
    QPixmap m_pixmap;
};

}  // namespace

QIcon DialogStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton) {
        return QIcon(new LazyPngIconEngine(
            QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-h-16.png")));
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

int DialogStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                           QStyleHintReturn* returnData) const {
    if (hint == SH_DrawMenuBarSeparator) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
