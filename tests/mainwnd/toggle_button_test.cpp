// The section toggle buttons at the scale factor of the run (1, 1.5 and 2):
// the arrowheads sit in the middle of the button, and above scale 1, where
// there is room, keep clear of its frame.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <cmath>

#include "res/resource_ids.h"
#include "window_driver.h"

namespace {

TEST(ToggleButtonScaled, ArrowheadsSitInTheMiddle) {
    WindowDriver w;
    for (const int id :
         {res::kToggleTime, res::kToggleAudio, res::kToggleVideo, res::kToggleSize}) {
        QWidget* button = w.Control(id);
        const qreal dpr = button->devicePixelRatioF();
        const QImage shot = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // Inside the one-pixel frame; the arrowheads' ink is far darker than
        // the button's face, and than the light edge of a tip.
        const int frame = static_cast<int>(std::floor(dpr));
        const QRect inside = shot.rect().adjusted(frame, frame, -frame, -frame);
        QRect ink;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                if (qGray(shot.pixel(x, y)) < 120) ink |= QRect(x, y, 1, 1);
            }
        }
        ASSERT_FALSE(ink.isEmpty()) << id << ": no arrowheads drawn";
        const int left = ink.left() - inside.left(), right = inside.right() - ink.right();
        const int top = ink.top() - inside.top(), bottom = inside.bottom() - ink.bottom();
        EXPECT_LE(std::abs(left - right), 1)
            << id << ": " << left << " px left, " << right << " px right at scale " << dpr;
        EXPECT_LE(std::abs(top - bottom), 1)
            << id << ": " << top << " px above, " << bottom << " px below at scale " << dpr;
        if (dpr > 1) {
            EXPECT_GE(std::min(left, right), 1) << id << " touches the frame at scale " << dpr;
        }
    }
}

}  // namespace
