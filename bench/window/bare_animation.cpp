// The baseline for the Info dialog's animation: a bare Qt widget of the
// dialog's size (399 x 244) that every 10 ms moves a rectangle of the cube's
// repaint size one pixel diagonally, bouncing at the edges, and repaints just
// the old and the new place, filling it with the picture's colours. It stays
// open until it is ended.
#include <QApplication>
#include <QBasicTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleFactory>
#include <QTimerEvent>
#include <QWidget>

class BareAnimation : public QWidget {
public:
    BareAnimation() {
        setWindowTitle(QStringLiteral("Bare animation"));
        setFixedSize(399, 244);
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_timer.start(10, Qt::PreciseTimer, this);
    }

protected:
    void timerEvent(QTimerEvent*) override {
        const QRect old = m_box;
        m_box.translate(m_dx, m_dy);
        if (m_box.left() <= 0 || m_box.right() >= width() - 1) m_dx = -m_dx;
        if (m_box.top() <= 0 || m_box.bottom() >= height() - 1) m_dy = -m_dy;
        update(old.united(m_box));
    }
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor(0xEF, 0xEF, 0xEF));
        painter.fillRect(m_box, QColor(0x80, 0x90, 0xE0));
    }

private:
    QBasicTimer m_timer;
    QRect m_box{100, 100, 52, 52};
    int m_dx = 1, m_dy = 1;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    BareAnimation window;
    window.show();
    return QApplication::exec();
}
