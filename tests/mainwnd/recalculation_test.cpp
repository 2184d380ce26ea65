// The main window as a user sees it: typing, locking, choosing, sliding, and
// the numbers, labels and status state that follow.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "res/resource_ids.h"
#include "tests/mainwnd/window_driver.h"

using namespace res;

namespace {

struct Results {
    QString header, audio, video, total;
};

Results ShownResults(const WindowDriver& w) {
    return {w.Text(kLabelHeader), w.Text(kLabelAudioData), w.Text(kLabelVideoData),
            w.Text(kLabelTotalData)};
}

}  // namespace

TEST(MainWindow, OpensWithTheInitialValues) {
    WindowDriver w;
    EXPECT_EQ(w.dlg->windowTitle(), "Tessarin v1.26");
    const std::pair<int, const char*> expected[] = {
        {kEditHours, "01"},
        {kEditMinutes, "30"},
        {kEditSeconds, "00"},
        {kEditAudio, "128"},
        {kEditVideo, "1995"},
        {kEditSize, "1400"},
        {kEditCdCount, "2"},
        {kComboSizeUnit, "Megabyte"},
        {kComboCdSize, "700 MB"},
        {kLabelTimeSlider, "90 Minuten"},
        {kLabelAudioSlider, "128 kBits/s"},
        {kLabelVideoSlider, "1995 kBits/s"},
        {kLabelSizeSlider, "1.468.006.400 Byte"},
        {kLabelHeader, "20.512 Byte"},
        {kLabelAudioData, "88.473.600 Byte"},
        {kLabelVideoData, "1.378.944.000 Byte"},
        {kLabelTotalData, "1.467.438.112 Byte"},
    };
    for (const auto& [id, text] : expected)
        EXPECT_EQ(w.Text(id), QString::fromUtf8(text)) << id;
    EXPECT_EQ(w.StatusWord(), "Geprüft");
    EXPECT_EQ(w.StatusMessage(), "");
    EXPECT_EQ(w.StatusIcon(), kIconChecked);
    EXPECT_EQ(w.Slider(kSliderTime)->value(), 5400);
    EXPECT_EQ(w.Slider(kSliderAudio)->value(), 14);
    EXPECT_EQ(w.Slider(kSliderVideo)->value(), 1995);
    EXPECT_EQ(w.Slider(kSliderSize)->value(), 1433600);
    // The first edit field has the keyboard focus.
    EXPECT_EQ(QApplication::focusWidget(), w.Control(kEditHours));
}

TEST(MainWindow, ANewDurationRecomputesTheVideoBitrate) {
    WindowDriver w;
    w.Type(kEditHours, "1");
    w.Type(kEditMinutes, "0");  // 1:00:00
    EXPECT_EQ(w.Text(kEditVideo), "3057");
    EXPECT_EQ(w.Text(kLabelVideoSlider), "3057 kBits/s");
    EXPECT_EQ(w.Text(kLabelTimeSlider), "60 Minuten");
    const Results r = ShownResults(w);
    EXPECT_EQ(r.audio, "58.982.400 Byte");
    EXPECT_EQ(r.video, "1.408.665.600 Byte");
    EXPECT_EQ(r.total, "1.467.668.512 Byte");
    EXPECT_EQ(w.StatusWord(), "Geprüft");
}

// Which quantity follows a change, by the lock boxes that are ticked.
struct LockCase {
    const char* name;
    std::vector<int> locks;
    int edit;
    const char* typed;
    // Edit field expected to change, and its new text.
    int recomputed;
    const char* shows;
};

void PrintTo(const LockCase& c, std::ostream* os) {
    *os << c.name;
}

class LockTable : public ::testing::TestWithParam<LockCase> {};

TEST_P(LockTable, RecomputesTheFirstUnlockedQuantity) {
    const LockCase& c = GetParam();
    WindowDriver w;
    for (int lock : c.locks)
        w.ClickCheckBox(lock);
    w.Paste(c.edit, QString::fromUtf8(c.typed));
    EXPECT_EQ(w.Text(c.recomputed), QString::fromUtf8(c.shows));
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, LockTable,
    ::testing::Values(
        // No locks: size, audio and duration changes move the video bitrate,
        // a video change moves the size.
        LockCase{"SizeMovesVideo", {}, kEditSize, "700", kEditVideo, "933"},
        LockCase{"AudioMovesVideo", {}, kEditAudio, "64", kEditVideo, "2059"},
        LockCase{"VideoMovesSize", {}, kEditVideo, "1000", kEditSize, "743"},
        // Video locked: a new duration moves the size.
        LockCase{"VideoLockedTimeMovesSize", {kFixVideo}, kEditMinutes, "10", kEditSize, "1088"},
        // Video and size locked: the audio bitrate follows.
        LockCase{"VideoSizeLockedTimeMovesAudio",
                 {kFixVideo, kFixSize},
                 kEditMinutes,
                 "10",
                 kEditAudio,
                 "384"},
        // Video, size and audio locked: the typed duration is solved back.
        LockCase{"AllLockedTimeSolvedBack",
                 {kFixVideo, kFixSize, kFixAudio},
                 kEditMinutes,
                 "10",
                 kEditMinutes,
                 "30"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(MainWindow, ALockDisablesItsSection) {
    WindowDriver w;
    w.ClickCheckBox(kFixSize);
    for (int id : {kEditCdCount, kComboCdSize, kEditSize, kComboSizeUnit, kSliderSize,
                   kLabelSizeSlider, kLabelSizeMin, kLabelSizeMax, kLabelCds}) {
        EXPECT_FALSE(w.Control(id)->isEnabled()) << id;
    }
    w.ClickCheckBox(kFixSize);
    EXPECT_TRUE(w.Control(kEditSize)->isEnabled());
    // Audio: its lock and "Aus" both disable the audio controls.
    w.ClickCheckBox(kAudioOff);
    EXPECT_FALSE(w.Control(kEditAudio)->isEnabled());
    EXPECT_FALSE(w.Control(kSliderAudio)->isEnabled());
    EXPECT_TRUE(w.Control(kFixAudio)->isEnabled());
}

TEST(MainWindow, TooLongADurationKeepsOneKilobitOfVideo) {
    WindowDriver w;
    w.Paste(kEditSize, "100");
    w.Type(kEditHours, "2");  // 2:00:00 does not fit into 100 MByte
    EXPECT_EQ(w.Text(kEditVideo), "1");
    EXPECT_EQ(w.Text(kEditHours), "01");
    EXPECT_EQ(w.Text(kEditMinutes), "45");
    EXPECT_EQ(w.Text(kEditSeconds), "49");
}

TEST(MainWindow, RangeRulesOfTheEditFields) {
    WindowDriver w;
    w.Type(kEditAudio, "500");
    EXPECT_EQ(w.Text(kEditAudio), "384");
    w.Type(kEditAudio, "2");
    EXPECT_EQ(w.Text(kEditAudio), "2");  // held as 4, shown when the field is left
    EXPECT_EQ(w.Text(kLabelAudioSlider), "4 kBits/s");
    w.ClickEmptyPlace();
    EXPECT_EQ(w.Text(kEditAudio), "4");

    w.Type(kEditMinutes, "75");
    EXPECT_EQ(w.Text(kEditMinutes), "59");
    w.Type(kEditHours, "-3");
    EXPECT_EQ(w.Text(kEditHours), "-3");
    w.Type(kEditSeconds, "5");
    EXPECT_EQ(w.Text(kEditSeconds), "5");
    w.ClickEmptyPlace();
    EXPECT_EQ(w.Text(kEditHours), "00");
    EXPECT_EQ(w.Text(kEditSeconds), "05");

    // A size below the header becomes the header; the edit keeps its text.
    w.Command(kCmdAutoCalculate);  // off, so that nothing is solved from it
    w.Choose(kComboSizeUnit, 3);   // "Byte"
    w.Paste(kEditSize, "100");
    EXPECT_EQ(w.Text(kEditSize), "100");
    EXPECT_EQ(w.Text(kLabelSizeSlider), "20.512 Byte");
}

TEST(MainWindow, UnreadableTextIsPutBackAtOnce) {
    WindowDriver w;
    const QString bad[] = {"x",
                           " ",
                           "+",
                           ".",
                           ",",
                           "ä",
                           "\t",
                           "a" + QString(10000, QLatin1Char('9')),
                           QStringLiteral("1\u00a02"),
                           "--"};
    for (int id : {kEditHours, kEditMinutes, kEditSeconds, kEditAudio, kEditVideo, kEditSize,
                   kEditCdCount}) {
        const QString before = w.Text(id);
        for (const QString& text : bad) {
            w.Paste(id, text);
            EXPECT_EQ(w.Text(id), before) << id << " " << text.left(20).toStdString();
        }
        // Typing a letter behind the number removes it again.
        QLineEdit* e = w.Edit(id);
        e->end(false);
        QTest::keyClicks(e, "q");
        EXPECT_EQ(w.Text(id), before) << id;
    }
    EXPECT_EQ(w.StatusWord(), "Geprüft");
    EXPECT_EQ(w.Text(kLabelTotalData), "1.467.438.112 Byte");
}

TEST(MainWindow, EmptyAndMinusOnlyReadAsZero) {
    WindowDriver w;
    w.Paste(kEditVideo, "-");
    EXPECT_EQ(w.Text(kEditVideo), "-");
    EXPECT_EQ(w.Text(kLabelVideoSlider), "1 kBits/s");  // 0 raised to 1
    w.Paste(kEditVideo, "");
    EXPECT_EQ(w.Text(kLabelVideoSlider), "1 kBits/s");
}

TEST(MainWindow, ExtremeValuesWrapAndShowFaulty) {
    WindowDriver w;
    w.Command(kCmdAutoRange);  // range limits off
    // 19 digits in Gigabyte: the shift by 30 bits wraps.
    w.Choose(kComboSizeUnit, 0);
    w.Paste(kEditSize, "9223372036854775807");
    EXPECT_EQ(w.Text(kLabelSizeSlider), "-1.073.741.824 Byte");
    EXPECT_EQ(w.StatusWord(), "Fehlerhaft");
    EXPECT_EQ(w.StatusIcon(), kIconFaulty);
    EXPECT_EQ(w.StatusMessage(), "Ungültige Werte, bitte korrigieren.");
    // Far beyond 64 bits: the typed digits wrap as well.
    w.Choose(kComboSizeUnit, 3);
    w.Paste(kEditSize, QString(60, QLatin1Char('9')));
    EXPECT_FALSE(w.Text(kLabelSizeSlider).isEmpty());
    // 999999999 CDs: a header of 10.255.999.989.744 bytes.
    w.Paste(kEditCdCount, "999999999");
    EXPECT_EQ(w.Text(kLabelHeader), "10.255.999.989.744 Byte");
    EXPECT_EQ(w.StatusWord(), "Fehlerhaft");
    w.Paste(kEditVideo, "-9223372036854775808");
    EXPECT_EQ(w.Text(kLabelVideoSlider), "-9223372036854775808 kBits/s");
}

TEST(MainWindow, CdSizeTimesCountSetsTheSize) {
    WindowDriver w;
    w.Type(kEditCdCount, "3");
    EXPECT_EQ(w.Text(kLabelHeader), "30.768 Byte");
    EXPECT_EQ(w.Text(kEditSize), "1400");  // the count alone keeps the size
    w.Choose(kComboCdSize, 2);             // "800 MB"
    EXPECT_EQ(w.Text(kLabelSizeSlider), "2.516.582.400 Byte");
    EXPECT_EQ(w.Text(kEditSize), "2400");
    w.Choose(kComboSizeUnit, 0);  // only reformats the size edit
    EXPECT_EQ(w.Text(kEditSize), "2");
    EXPECT_EQ(w.Text(kLabelSizeSlider), "2.516.582.400 Byte");
}

TEST(MainWindow, AudioOffAndOnRecomputesTheSize) {
    WindowDriver w;
    w.ClickCheckBox(kFixSize);
    w.ClickCheckBox(kAudioOff);
    EXPECT_EQ(w.Text(kLabelAudioData), "0 Byte");
    EXPECT_EQ(w.Text(kLabelSizeSlider), "1.378.964.512 Byte");  // size solved despite its lock
    EXPECT_EQ(w.Text(kEditAudio), "128");
    w.ClickCheckBox(kAudioOff);
    EXPECT_EQ(w.Text(kLabelAudioData), "88.473.600 Byte");
    EXPECT_EQ(w.Text(kLabelSizeSlider), "1.467.438.112 Byte");
}

TEST(MainWindow, SlidersSetTheirQuantity) {
    WindowDriver w;
    w.DragSlider(kSliderAudio, 3);
    EXPECT_EQ(w.Slider(kSliderAudio)->value(), 3);
    EXPECT_EQ(w.Text(kEditAudio), "18");
    EXPECT_EQ(w.Text(kLabelAudioSlider), "18 kBits/s");
    // A key step takes effect when the move ends.
    w.Slider(kSliderAudio)->setFocus();
    QTest::keyClick(w.Slider(kSliderAudio), Qt::Key_Right);
    EXPECT_EQ(w.Text(kEditAudio), "20");
    QTest::keyClick(w.Slider(kSliderAudio), Qt::Key_Home);
    EXPECT_EQ(w.Text(kEditAudio), "4");

    w.DragSlider(kSliderVideo, 6000);
    EXPECT_EQ(w.Text(kEditVideo), "6000");
    EXPECT_EQ(w.Text(kEditSize), "3957");  // (4 + 6000) kBit/s for 1:30:00 and two headers

    // The time slider stops at two hours while the edits show the duration.
    w.Type(kEditHours, "2");
    w.Type(kEditMinutes, "30");
    EXPECT_EQ(w.Slider(kSliderTime)->value(), 7200);

    // With two parts a size below 20 kByte puts the size thumb at 20.
    w.Command(kCmdAutoCalculate);
    w.Command(kCmdAutoRange);
    w.Choose(kComboSizeUnit, 3);
    w.Paste(kEditSize, "10240");
    EXPECT_EQ(w.Slider(kSliderSize)->value(), 20);
}

TEST(MainWindow, ManualRecalculationAndStatusClicks) {
    WindowDriver w;
    w.Command(kCmdAutoCalculate);          // off
    EXPECT_EQ(w.StatusWord(), "Geprüft");  // unchanged until the next change
    w.Type(kEditVideo, "1000");
    EXPECT_EQ(w.StatusWord(), "Ungeprüft");
    EXPECT_EQ(w.StatusIcon(), kIconUnchecked);
    EXPECT_EQ(w.StatusMessage(), "Hier drücken, um neu zu berechnen. --->");
    EXPECT_EQ(w.Text(kEditSize), "1400");  // nothing solved
    EXPECT_EQ(w.Text(kLabelVideoData), "691.200.000 Byte");

    QTest::mouseClick(w.dlg->StatusBarWidget(), Qt::RightButton);
    EXPECT_EQ(w.StatusWord(), "Geprüft");
    EXPECT_EQ(w.Text(kEditVideo), "1995");  // solved by the size rules
    w.Command(kCmdAutoCalculate);           // on again: clamps and recalculates
    EXPECT_EQ(w.StatusWord(), "Geprüft");
}

TEST(MainWindow, RangeLimitsOffShowFaultyValues) {
    WindowDriver w;
    w.Command(kCmdAutoRange);
    w.Type(kEditVideo, "-5");
    EXPECT_EQ(w.StatusWord(), "Fehlerhaft");
    EXPECT_EQ(w.Text(kEditVideo), "-5");
    // Switching the limits on again clamps everything.
    w.Command(kCmdAutoRange);
    EXPECT_EQ(w.StatusWord(), "Geprüft");
    EXPECT_NE(w.Text(kEditVideo), "-5");
}

TEST(MainWindow, RecalculationTakesUncorrectedTexts) {
    WindowDriver w;
    w.Type(kEditAudio, "2");  // held as 4, shown as "2"
    EXPECT_EQ(w.Text(kEditVideo), "2119");
    w.Command(kCmdRecalculate);
    EXPECT_EQ(w.Text(kEditVideo), "2121");  // solved with an audio rate of 2
    EXPECT_EQ(w.StatusWord(), "Fehlerhaft");
}

// A quantity whose three partners are locked is solved again to the same
// out-of-range value on every nested correction; the recalculation ends.
TEST(MainWindow, SelfSolvedOutOfRangeQuantityEnds) {
    WindowDriver w;
    w.ClickCheckBox(kFixVideo);
    w.Choose(kComboSizeUnit, 2);  // "Kilobyte"
    w.Paste(kEditSize, "395");    // the duration solve gives 1 second
    EXPECT_EQ(w.Text(kEditSeconds), "01");
    w.ClickCheckBox(kFixTime);
    w.ClickCheckBox(kFixSize);
    w.Paste(kEditAudio, "96");  // the audio solve gives 1004 every time
    EXPECT_EQ(w.Text(kEditAudio), "384");
    EXPECT_EQ(w.Text(kLabelAudioSlider), "384 kBits/s");
}

// A duration below one second taken by the full re-read makes the video
// bitrate and the size correct each other; the recalculation ends.
TEST(MainWindow, NegativeDurationFromTheReReadEnds) {
    WindowDriver w;
    w.Type(kEditHours, "-2");  // kept in the edit, held as 0 hours
    w.Command(kCmdRecalculate);
    EXPECT_EQ(w.Text(kEditVideo), "1");
    EXPECT_FALSE(w.StatusWord().isEmpty());
}

TEST(MainWindow, SizeEqualToTheHeaderEnds) {
    WindowDriver w;
    w.Choose(kComboSizeUnit, 3);
    w.Paste(kEditSize, "1");  // raised to the header
    w.Type(kEditHours, "3");
    EXPECT_EQ(w.Text(kEditVideo), "1");
}

TEST(MainWindow, UnreadableFieldInTheReReadShowsTheMessageBox) {
    WindowDriver w;
    {
        // A text that changed while the window was not listening.
        const QSignalBlocker blocker(w.Edit(kEditVideo));
        w.Edit(kEditVideo)->setText("12a");
    }
    QString caption, text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    w.Command(kCmdRecalculate);
    EXPECT_EQ(caption, "Prüfung fehlgeschlagen");
    EXPECT_EQ(text,
              "Ungültige Werte entdeckt. Gehen Sie sicher, dass überall gültige numerische "
              "Werte stehen.");
    EXPECT_EQ(w.Text(kLabelVideoSlider), "1995 kBits/s");  // the model was not changed
    EXPECT_EQ(w.StatusWord(), "Geprüft");
}

TEST(MainWindow, PagingMovesTheThumbByAFifthOfTheRange) {
    WindowDriver w;
    QSlider* video = w.Slider(kSliderVideo);
    video->setFocus();
    QTest::keyClick(video, Qt::Key_PageUp);
    EXPECT_EQ(w.Text(kEditVideo), QString::number(1995 + 5999 / 5));
}

// A held arrow key moves the thumb step by step; the quantity follows when
// the key is released, from wherever the thumb then stands.
TEST(MainWindow, AHeldKeyMovesTheSliderAndTakesEffectOnRelease) {
    WindowDriver w;
    w.Command(kCmdAutoRange);     // off: the size may fall below the header
    w.Choose(kComboSizeUnit, 2);  // "Kilobyte"
    w.Paste(kEditSize, "22");
    QSlider* size = w.Slider(kSliderSize);
    ASSERT_EQ(size->value(), 22);
    size->setFocus();
    for (int i = 0; i < 5; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier, QString(), i > 0);
        QCoreApplication::sendEvent(size, &press);
        if (i > 0) {
            QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier, QString(), true);
            QCoreApplication::sendEvent(size, &repeat);
        }
    }
    EXPECT_EQ(w.Text(kEditSize), "22");  // nothing taken while the key is held
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier);
    QCoreApplication::sendEvent(size, &release);
    EXPECT_EQ(w.Text(kEditSize), "17");
    EXPECT_EQ(w.Text(kLabelSizeSlider), "17.408 Byte");
}
