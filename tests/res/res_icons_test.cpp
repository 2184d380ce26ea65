// The icons are compiled into the program as Qt resources: each one must be
// found at run time, have its size, and look like what the window uses it for.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <cmath>
#include <memory>

#include "res/qt_resources.h"
#include "res/resource_ids.h"

namespace {

class Icons : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "res_icons_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    static void TearDownTestSuite() { app_.reset(); }

    static QImage Load(int id) {
        return QImage(IconResourcePath(id)).convertToFormat(QImage::Format_ARGB32);
    }

private:
    static inline std::unique_ptr<QGuiApplication> app_;
};

TEST_F(Icons, LoadFromTheResourcesAtTheirSize) {
    const struct {
        int id;
        int size;
    } rows[] = {{res::kIconWindow, 16},    {res::kIconChecked, 32},   {res::kIconFaulty, 32},
                {res::kIconUnchecked, 32}, {res::kIconCollapsed, 32}, {res::kIconExpanded, 32},
                {res::kIconInfo, 32}};
    for (const auto& r : rows) {
        const QString path = IconResourcePath(r.id);
        const QPixmap pixmap(path);
        ASSERT_FALSE(pixmap.isNull()) << path.toStdString();
        EXPECT_EQ(pixmap.size(), QSize(r.size, r.size)) << r.id;
        const QIcon icon(path);
        EXPECT_FALSE(icon.isNull()) << r.id;
        EXPECT_EQ(icon.actualSize(QSize(64, 64)), QSize(r.size, r.size)) << r.id;
    }
}

// The larger drawings of the program icon and of the Info dialog's icon:
// each at its size, and the same picture as the base image (compared at the
// base image's size).
TEST_F(Icons, LargerDrawingsShowTheSamePicture) {
    for (const int id : {res::kIconWindow, res::kIconInfo}) {
        const QImage base = Load(id);
        ASSERT_FALSE(IconExtraSizes(id).empty()) << id;
        for (const int size : IconExtraSizes(id)) {
            const QImage image =
                QImage(IconResourcePath(id, size)).convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(image.size(), QSize(size, size)) << id << " " << size;
            const QImage shrunk =
                image.scaled(base.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            double difference = 0;
            for (int y = 0; y < base.height(); ++y) {
                for (int x = 0; x < base.width(); ++x) {
                    const QColor a = base.pixelColor(x, y), b = shrunk.pixelColor(x, y);
                    difference += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                                  std::abs(a.blue() - b.blue()) + std::abs(a.alpha() - b.alpha());
                }
            }
            EXPECT_LT(difference / (base.width() * base.height() * 4), 24.0) << id << " " << size;
        }
    }
}

TEST_F(Icons, StatusLampsHaveTheirColours) {
    auto centre = [](int id) { return Load(id).pixelColor(16, 16); };
    const QColor green = centre(res::kIconChecked);
    const QColor red = centre(res::kIconFaulty);
    const QColor yellow = centre(res::kIconUnchecked);
    for (const QColor& c : {green, red, yellow})
        EXPECT_EQ(c.alpha(), 255);
    EXPECT_GT(green.green(), 2 * green.red());
    EXPECT_GT(green.green(), 2 * green.blue());
    EXPECT_GT(red.red(), 2 * red.green());
    EXPECT_GT(red.red(), 2 * red.blue());
    EXPECT_GT(yellow.red(), 2 * yellow.blue());
    EXPECT_GT(yellow.green(), 2 * yellow.blue());
    EXPECT_GT(yellow.green(), yellow.red() / 2);
    // Round lamps: the corners are transparent.
    for (const int id : {res::kIconChecked, res::kIconFaulty, res::kIconUnchecked}) {
        EXPECT_EQ(Load(id).pixelColor(0, 0).alpha(), 0) << id;
        EXPECT_EQ(Load(id).pixelColor(31, 31).alpha(), 0) << id;
    }
}

// The toggle buttons are 8 x 6 dialog units (12 x 10 pixels) and show the
// middle of the icon: the arrowheads must lie in that middle. An arrowhead
// pointing right has its weight at its base, on the left, so the ink's centre
// of mass lies left of the middle of its bounding box.
TEST_F(Icons, ToggleArrowsSitInTheMiddleAndPointTheirWay) {
    const QRect visible(10, 11, 12, 10);
    for (const int id : {res::kIconCollapsed, res::kIconExpanded}) {
        const QImage image = Load(id);
        QRect ink;
        double mass = 0, moment = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int alpha = image.pixelColor(x, y).alpha();
                if (alpha == 0) continue;
                ink |= QRect(x, y, 1, 1);
                mass += alpha;
                moment += alpha * (x + 0.5);
            }
        }
        ASSERT_FALSE(ink.isEmpty()) << id;
        EXPECT_TRUE(visible.contains(ink)) << id;
        EXPECT_GE(ink.width(), 6) << id;
        EXPECT_GE(ink.height(), 4) << id;
        const double centreOfMass = moment / mass;
        const double middle = ink.x() + ink.width() / 2.0;
        if (id == res::kIconCollapsed) {
            EXPECT_LT(centreOfMass, middle - 0.25) << "136 points right";
        } else {
            EXPECT_GT(centreOfMass, middle + 0.25) << "137 points left";
        }
    }
}

}  // namespace
