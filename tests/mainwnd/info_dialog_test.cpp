// The Info dialog through the real program: opened from the menu, modal over
// the main window, the frozen picture with the cube, reading mode and its
// return, closing, a second opening, and the failures that show no cube.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <functional>
#include <vector>

#include "info/info_dlg.h"
#include "res/qt_resources.h"
#include "res/resource_ids.h"
#include "tests/mainwnd/window_driver.h"
#include "ui/list_box.h"

using namespace res;

namespace {

// Runs `body` inside the modal run of a dialog opened through "&Info"; the
// dialog is closed with Escape afterwards unless `body` closed it.
void WithInfoOpen(WindowDriver& w, const std::function<void(CInfoDlg*)>& body) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([] { return g_pInfoDlg && g_pInfoDlg->isVisible(); }));
        CInfoDlg* dlg = g_pInfoDlg;
        ran = true;
        body(dlg);
        if (g_pInfoDlg && g_pInfoDlg->isVisible()) QTest::keyClick(g_pInfoDlg, Qt::Key_Escape);
    });
    w.Command(kCmdInfo);
    EXPECT_TRUE(ran);
    EXPECT_EQ(g_pInfoDlg, nullptr);
}

// The picture's 16-bit pixels, row by row from the top.
std::vector<uint16_t> Pixels(const PixelSurface& s) {
    std::vector<uint16_t> out;
    for (int y = 0; y < s.height; ++y) {
        const auto* row =
            reinterpret_cast<const uint16_t*>(s.pixels + (s.height - 1 - y) * s.pitch);
        out.insert(out.end(), row, row + s.width);
    }
    return out;
}

bool Inside(const CubeRect& inclusive, int x, int y) {
    return x >= inclusive.left && x <= inclusive.right + 1 && y >= inclusive.top &&
           y <= inclusive.bottom + 1;
}

// Waits for the next frame the cube draws.
bool NextFrame(CInfoDlg* dlg) {
    const CubeRect box = dlg->Cube().m_lastBox;
    const int x = dlg->Cube().m_posX, y = dlg->Cube().m_posY;
    return QTest::qWaitFor([&] {
        const CubeAnimation& c = dlg->Cube();
        return c.m_posX != x || c.m_posY != y || c.m_lastBox.left != box.left;
    });
}

// A click on a check box delivered as the window system delivers it, so that
// a modal dialog can block it.
void ClickThroughWindow(WindowDriver& w, int id) {
    QWidget* box = w.Control(id);
    const QPoint at = box->mapTo(w.dlg.get(), QPoint(6, box->height() / 2));
    QTest::mouseClick(w.dlg->windowHandle(), Qt::LeftButton, {}, at);
}

class InfoDialog : public ::testing::Test {
protected:
    void TearDown() override {
        CInfoDlg::SetCheckIntervalForTests(0);
        CInfoDlg::SetPictureFailureForTests(false);
        CInfoDlg::SetHistoryResourceForTests(0);
    }
    WindowDriver w;
};

TEST_F(InfoDialog, OpensModalOverTheMainWindowWithTheHistory) {
    QPointer<CInfoDlg> opened;
    const bool locked = qobject_cast<QCheckBox*>(w.Control(kFixTime))->isChecked();
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        opened = dlg;
        EXPECT_EQ(dlg->windowTitle(), "Info");
        EXPECT_EQ(dlg->size(), QSize(399, 244));
        EXPECT_EQ(QApplication::activeModalWidget(), dlg);
        // The main window takes no input meanwhile.
        ClickThroughWindow(w, kFixTime);
        EXPECT_EQ(qobject_cast<QCheckBox*>(w.Control(kFixTime))->isChecked(), locked);

        ListBox* list = dlg->List();
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 37);
        int empty = 0;
        for (int i = 0; i < list->count(); ++i)
            empty += list->item(i)->text().isEmpty();
        EXPECT_EQ(empty, 11);
        EXPECT_EQ(list->item(0)->text(), "1.26\t-Die Infoanimation hinzugefügt.");
        EXPECT_EQ(list->item(36)->text(), "1.00\t-Final Release");
        EXPECT_EQ(list->TabStopPixels(), 30);
        // Everything is hidden; a screen reader reads the history anyway.
        for (QWidget* child : dlg->findChildren<QWidget*>()) {
            if (child->property("controlId").isValid()) {
                EXPECT_FALSE(child->isVisible());
            }
        }
        EXPECT_TRUE(dlg->accessibleDescription().contains("Tessarin v1.26"));
        EXPECT_TRUE(dlg->accessibleDescription().contains("\t Rot :\tEs gibt ungültige Werte"));
        EXPECT_TRUE(dlg->IsAnimating());
        EXPECT_TRUE(dlg->IsTimerActive(1));
        EXPECT_FALSE(dlg->IsTimerActive(2));
    });
    EXPECT_TRUE(opened.isNull());  // deleted after its modal run
    EXPECT_EQ(w.StatusMessage(), "");
    EXPECT_EQ(w.StatusWord(), "Geprüft");
    // The main window takes input again.
    ClickThroughWindow(w, kFixTime);
    EXPECT_NE(qobject_cast<QCheckBox*>(w.Control(kFixTime))->isChecked(), locked);
}

TEST_F(InfoDialog, FramesChangeThePictureOnlyWhereTheCubeWasOrIs) {
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        ASSERT_TRUE(NextFrame(dlg));
        const std::vector<uint16_t> clean = Pixels(dlg->Background());
        for (int frame = 0; frame < 5; ++frame) {
            const std::vector<uint16_t> before = Pixels(dlg->Screen());
            const CubeRect oldBox = dlg->Cube().m_lastBox;
            ASSERT_TRUE(NextFrame(dlg));
            const std::vector<uint16_t> after = Pixels(dlg->Screen());
            const CubeRect newBox = dlg->Cube().m_lastBox;
            const int width = dlg->Screen().width;
            int changed = 0, cube = 0;
            for (size_t i = 0; i < after.size(); ++i) {
                const int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
                if (after[i] != before[i]) {
                    ++changed;
                    EXPECT_TRUE(Inside(oldBox, x, y) || Inside(newBox, x, y)) << x << "," << y;
                }
                if (after[i] != clean[i]) {
                    ++cube;
                    EXPECT_TRUE(Inside(newBox, x, y)) << x << "," << y;
                }
            }
            EXPECT_GT(changed, 100);
            EXPECT_GT(cube, 500);  // a cube of about 45 pixels is drawn
        }
    });
}

TEST_F(InfoDialog, ReadingModeAndTheCubesReturnOverTheNewScrollPosition) {
    constexpr int kInterval = 300;
    CInfoDlg::SetCheckIntervalForTests(kInterval);
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        ASSERT_TRUE(NextFrame(dlg));
        const std::vector<uint16_t> firstPicture = Pixels(dlg->Background());
        QTest::mouseClick(dlg, Qt::LeftButton, {}, QPoint(200, 120));
        ListBox* list = dlg->List();
        EXPECT_FALSE(dlg->IsAnimating());
        EXPECT_TRUE(list->isVisible());
        EXPECT_TRUE(list->verticalScrollBar()->isVisible());
        EXPECT_EQ(Pixels(dlg->Screen()), firstPicture);  // the cube is gone
        const CubeAnimation stopped = dlg->Cube();
        QTest::qWait(50);
        EXPECT_EQ(dlg->Cube().m_posX, stopped.m_posX);
        EXPECT_TRUE(dlg->IsTimerActive(2));  // the first tick starts watching

        // A click in reading mode changes nothing.
        QTest::mouseClick(dlg, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_FALSE(dlg->IsAnimating());
        EXPECT_TRUE(list->isVisible());

        // Scrolling at least once per interval keeps the list live.
        QElapsedTimer since;
        for (int step = 1; step <= 4; ++step) {
            list->verticalScrollBar()->setValue(step * 3);
            since.start();
            QTest::qWait(kInterval * 2 / 3);
            EXPECT_FALSE(dlg->IsAnimating()) << step;
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->IsAnimating(); }, kInterval * 4));
        const qint64 resumedAfter = since.elapsed();
        EXPECT_GE(resumedAfter, kInterval - 20);
        EXPECT_LE(resumedAfter, kInterval * 2 + 150);
        EXPECT_FALSE(list->isVisible());
        EXPECT_FALSE(dlg->IsTimerActive(2));
        EXPECT_EQ(dlg->LastTopIndex(), -1);
        EXPECT_EQ(list->TopIndex(), 12);

        // The new clean picture shows the list scrolled, and nothing else moved.
        const std::vector<uint16_t> secondPicture = Pixels(dlg->Background());
        const QRect inList = list->geometry().adjusted(3, 3, -3, -3);
        const int width = dlg->Background().width;
        int changedInList = 0;
        for (size_t i = 0; i < secondPicture.size(); ++i) {
            const QPoint p(static_cast<int>(i) % width, static_cast<int>(i) / width);
            if (secondPicture[i] == firstPicture[i]) continue;
            EXPECT_TRUE(list->geometry().contains(p)) << p.x() << "," << p.y();
            changedInList += inList.contains(p);
        }
        EXPECT_GT(changedInList, 1000);
        // The cube goes on from where it stopped.
        ASSERT_TRUE(NextFrame(dlg));
        EXPECT_LE(std::abs(dlg->Cube().m_posX - stopped.m_posX), 3);
    });
}

TEST_F(InfoDialog, ScrollingAwayAndBackCountsAsStill) {
    constexpr int kInterval = 300;
    CInfoDlg::SetCheckIntervalForTests(kInterval);
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        QTest::mouseClick(dlg, Qt::LeftButton, {}, QPoint(200, 120));
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->IsTimerActive(2); }));
        QElapsedTimer since;
        since.start();
        dlg->List()->verticalScrollBar()->setValue(5);
        QTest::qWait(kInterval / 4);
        dlg->List()->verticalScrollBar()->setValue(0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->IsAnimating(); }, kInterval * 3));
        EXPECT_LE(since.elapsed(), kInterval + 150);
    });
}

TEST_F(InfoDialog, EscapeAndTheCloseBoxReleaseEverything) {
    for (bool closeBox : {false, true}) {
        WithInfoOpen(w, [&](CInfoDlg* dlg) {
            ASSERT_TRUE(NextFrame(dlg));
            if (closeBox) {
                QTest::mouseClick(dlg, Qt::LeftButton, {}, QPoint(200, 120));  // reading mode
                dlg->close();
            } else {
                QTest::keyClick(dlg, Qt::Key_Escape);
            }
            EXPECT_FALSE(dlg->isVisible());
            EXPECT_FALSE(dlg->HoldsPicture());
            EXPECT_FALSE(dlg->IsTimerActive(1));
            EXPECT_EQ(dlg->Screen().pixels, nullptr);
        });
    }
}

TEST_F(InfoDialog, EveryOpeningIsFreshAndTheRotationGoesOn) {
    CubeAnimation first{};
    double phaseAtClose = 0;
    CInfoDlg* firstDialog = nullptr;
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        firstDialog = dlg;
        first = dlg->Cube();
        ASSERT_TRUE(NextFrame(dlg));
        ASSERT_TRUE(NextFrame(dlg));
        QTest::keyClick(dlg, Qt::Key_Escape);
        phaseAtClose = g_cubePhase;
    });
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        const CubeAnimation& second = dlg->Cube();
        EXPECT_TRUE(dlg != firstDialog || second.m_posX != first.m_posX);
        EXPECT_TRUE(second.m_posX != first.m_posX || second.m_posY != first.m_posY);
        EXPECT_GE(g_cubePhase, phaseAtClose);
        ASSERT_TRUE(NextFrame(dlg));
        EXPECT_GT(g_cubePhase, phaseAtClose);
        EXPECT_LT(g_cubePhase, phaseAtClose + 0.5);
    });
}

TEST_F(InfoDialog, AFailedPictureShowsNoCubeButTheListStillComes) {
    CInfoDlg::SetPictureFailureForTests(true);
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        QTest::qWait(50);
        EXPECT_FALSE(dlg->IsTimerActive(1));
        EXPECT_EQ(dlg->Screen().pixels, nullptr);
        EXPECT_EQ(dlg->List()->count(), 37);
        QTest::mouseClick(dlg, Qt::LeftButton, {}, QPoint(200, 120));
        EXPECT_TRUE(dlg->List()->isVisible());
        EXPECT_TRUE(dlg->List()->verticalScrollBar()->isVisible());
    });
}

TEST_F(InfoDialog, WithoutTheHistoryTheListStaysEmpty) {
    CInfoDlg::SetHistoryResourceForTests(9999);
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        EXPECT_EQ(dlg->List()->count(), 0);
        EXPECT_TRUE(dlg->IsTimerActive(1));
        ASSERT_TRUE(NextFrame(dlg));
    });
}

// Two screens side by side at scale factors 1 and 2 (two_screens.json). A
// dialog moved to the other one while open looks, pixel for pixel, as one
// opened there: the same clean picture, texture and cube bounds and, with the
// cube gone in reading mode, the same window. Moved while animating one way and
// while reading the other; the mode stays. The parameter is the screen the
// dialog opens on, 0 (scale 1, then moved while animating) or 1 (scale 2,
// moved while reading).
class InfoDialogScreens : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { CInfoDlg::SetCheckIntervalForTests(0); }
};

struct Look {
    int width = 0, height = 0;
    std::vector<uint16_t> clean, texture;
    std::vector<int> cubeBounds;
    QImage shown;
};

// What the window shows, in device pixels: its backing store, once the cube
// is gone.
QImage Shown(CInfoDlg* dlg) {
    if (dlg->IsAnimating()) QTest::mouseClick(dlg, Qt::LeftButton, {}, QPoint(200, 120));
    QTest::qWait(100);
    const auto* image = dynamic_cast<const QImage*>(dlg->backingStore()->paintDevice());
    return image ? image->copy() : QImage();
}

Look LookOf(CInfoDlg* dlg) {
    Look l;
    l.width = dlg->Background().width;
    l.height = dlg->Background().height;
    l.clean = Pixels(dlg->Background());
    l.texture.assign(dlg->TextureBits(), dlg->TextureBits() + 32 * 32);
    const CubeAnimation& c = dlg->Cube();
    l.cubeBounds = {c.m_minX, c.m_minY, c.m_maxX, c.m_maxY};
    l.shown = Shown(dlg);
    return l;
}

TEST_P(InfoDialogScreens, MovedToAnotherScaleLooksAsOpenedThere) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2)
        << "run with QT_QPA_PLATFORM=offscreen:configfile=two_screens.json";
    QScreen* from = screens[GetParam()];
    QScreen* to = screens[1 - GetParam()];
    const bool reading = GetParam() == 1;
    ASSERT_NE(from->devicePixelRatio(), to->devicePixelRatio());
    CInfoDlg::SetCheckIntervalForTests(60000);  // reading mode lasts the test
    const auto placeOn = [](QWidget* window, QScreen* screen) {
        window->move(screen->geometry().topLeft() + QPoint(20, 20));
    };
    WindowDriver w;
    Look want, got;
    placeOn(w.dlg.get(), to);
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        ASSERT_EQ(dlg->screen(), to);
        ASSERT_TRUE(NextFrame(dlg));
        want = LookOf(dlg);
    });
    placeOn(w.dlg.get(), from);
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        ASSERT_EQ(dlg->screen(), from);
        ASSERT_TRUE(NextFrame(dlg));
        if (reading) QTest::mouseClick(dlg, Qt::LeftButton, {}, QPoint(200, 120));
        placeOn(dlg, to);
        ASSERT_EQ(dlg->screen(), to);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->Background().width == want.width; }));
        EXPECT_EQ(dlg->IsAnimating(), !reading);
        EXPECT_EQ(dlg->List()->isVisible(), reading);
        if (!reading) {
            ASSERT_TRUE(NextFrame(dlg));  // the cube goes on
        }
        got = LookOf(dlg);
    });
    EXPECT_EQ(got.height, want.height);
    EXPECT_TRUE(got.clean == want.clean);
    EXPECT_TRUE(got.texture == want.texture);
    EXPECT_EQ(got.cubeBounds, want.cubeBounds);
    ASSERT_EQ(got.shown.size(), want.shown.size());
    ASSERT_EQ(got.shown.size(), QSize(want.width, want.height));
    // The window's pixels as stored; an RGB32 pixel keeps 0xFF in its fourth byte.
    int wrong = 0, notOpaque = 0;
    for (int y = 0; y < want.height; ++y) {
        const auto* a = reinterpret_cast<const uint32_t*>(got.shown.constScanLine(y));
        const auto* b = reinterpret_cast<const uint32_t*>(want.shown.constScanLine(y));
        for (int x = 0; x < want.width; ++x) {
            wrong += a[x] != b[x];
            notOpaque += a[x] >> 24 != 0xFF;
        }
    }
    EXPECT_EQ(got.shown.format(), QImage::Format_RGB32);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(notOpaque, 0);
}

INSTANTIATE_TEST_SUITE_P(Moves, InfoDialogScreens, ::testing::Values(0, 1), [](const auto& p) {
    return p.param == 0 ? "Scale1To2Animating" : "Scale2To1Reading";
});

}  // namespace

// Run at scale factors 1, 1.5 and 2: the picture has the device's pixels and
// is painted one to one, so a rendering of the dialog is the picture itself.
TEST(InfoDialogScaled, PictureAtDevicePixelsPaintedOneToOne) {
    WindowDriver w;
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        ASSERT_TRUE(NextFrame(dlg));
        const qreal dpr = dlg->devicePixelRatioF();
        const PixelSurface& picture = dlg->Screen();
        EXPECT_NEAR(picture.width, 399 * dpr, 1);
        EXPECT_NEAR(picture.height, 244 * dpr, 1);
        EXPECT_EQ(dlg->Cube().m_maxX, picture.width - dlg->Cube().m_minX);
        const QImage shot = dlg->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const std::vector<uint16_t> pixels = Pixels(picture);
        ASSERT_EQ(shot.size(), QSize(picture.width, picture.height));
        int wrong = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QRgb c = shot.pixel(x, y);
                const uint16_t p = pixels[static_cast<size_t>(y * picture.width + x)];
                const int r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
                wrong += qRed(c) >> 3 != r || qGreen(c) >> 3 != g || qBlue(c) >> 3 != b;
            }
        }
        EXPECT_EQ(wrong, 0) << "at scale " << dpr;
    });
}

// At every scale factor the cube's texture is the 32 x 32 image of icon 140
// itself, texel for pixel, never its larger drawing scaled down: where the
// icon is opaque, each texel is its pixel in 5-5-5.
TEST(InfoDialogScaled, TextureIsTheIconsOwn32PixelImage) {
    WindowDriver w;
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        ASSERT_NE(dlg->TextureBits(), nullptr);
        const PixelSurface texture(
            reinterpret_cast<uint8_t*>(const_cast<uint16_t*>(dlg->TextureBits())), 32, 32, 16);
        const std::vector<uint16_t> texels = Pixels(texture);
        const QImage icon =
            QImage(IconResourcePath(kIconInfo)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(icon.size(), QSize(32, 32));
        int opaque = 0, wrong = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb c = icon.pixel(x, y);
                if (qAlpha(c) != 255) continue;
                ++opaque;
                const uint16_t t = texels[static_cast<size_t>(y * 32 + x)];
                wrong += ((t >> 10) & 31) != qRed(c) >> 3 || ((t >> 5) & 31) != qGreen(c) >> 3 ||
                         (t & 31) != qBlue(c) >> 3;
            }
        }
        EXPECT_GT(opaque, 900);
        EXPECT_EQ(wrong, 0) << "at scale " << dlg->devicePixelRatioF();
    });
}

// The dialog's icon stays 32 x 32 logical pixels at every scale factor, drawn
// from the image of icon 140 with the screen's own pixels.
TEST(InfoDialogScaled, IconKeepsItsSizeWithTheScreensPixels) {
    WindowDriver w;
    WithInfoOpen(w, [&](CInfoDlg* dlg) {
        const qreal dpr = dlg->devicePixelRatioF();
        int icons = 0;
        for (const QLabel* label : dlg->findChildren<QLabel*>()) {
            const QPixmap pixmap = label->pixmap();
            if (pixmap.isNull()) continue;
            ++icons;
            EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(32, 32)) << "at scale " << dpr;
            EXPECT_EQ(pixmap.width(), qRound(32 * dpr)) << "at scale " << dpr;
        }
        EXPECT_EQ(icons, 1);
    });
}
