// The stored settings seen through the window: what a prepared settings file
// makes the window show at start, what "Einstellungen &speichern" and the end
// of the program store, and that a round trip brings everything back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTimer>

#include "app/rate_app.h"
#include "res/resource_ids.h"
#include "tests/mainwnd/window_driver.h"

using namespace res;

namespace {

QString SettingsFile() {
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/Orvanholt/Tessarin.reg";
}

class StoredSettings : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(SettingsFile()); }
    void TearDown() override { QFile::remove(SettingsFile()); }

    static void Prepare(const char* body) {
        QDir().mkpath(QFileInfo(SettingsFile()).path());
        QFile file(SettingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("REGEDIT4\n\n");
        file.write(body);
    }
    static QByteArray Stored() {
        QFile file(SettingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

constexpr char kKey[] = "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin";

}  // namespace

TEST_F(StoredSettings, APreparedFileShapesTheWindowAtStart) {
    const int plainHeight = WindowDriver().dlg->height();
    Prepare(
        "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin]\n"
        "\"StatusAnzeige\"=hex:00\n"
        "\"TooltipsAnzeige\"=hex:00\n"
        "\"AutoCalculate\"=hex:00\n"
        "\"SaveSettings\"=hex:02\n"
        "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Timesettings]\n"
        "\"Time_Show\"=hex:00\n"
        "\"Time_Fix\"=hex:01\n"
        "\"Time_Value\"=hex:10,0e,00,00,00,00,00,00\n"
        "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Audiosettings]\n"
        "\"Audio_Enabled\"=hex:01\n"
        "\"Audio_Value\"=hex:00,00,00,00,00,00,00,00\n"
        "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Videosettings]\n"
        "\"Video_Value\"=dword:000003e8\n"  // 4 bytes: not taken
        "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Sizesettings]\n"
        "\"Datatype\"=hex:02\n"
        "\"Size_Fix\"=hex:01\n");
    WindowDriver w;
    // Status bar hidden: 20 pixels lower; Time collapsed: 46 more.
    EXPECT_EQ(w.dlg->height(), plainHeight - 20 - 46);
    EXPECT_EQ(w.dlg->MenuAction(kCmdStatusBar)->text(), "Status anzeigen");
    EXPECT_EQ(w.dlg->MenuAction(kCmdToolTips)->text(), "Tooltips aktivieren");
    EXPECT_FALSE(w.dlg->MenuAction(kCmdAutoCalculate)->isChecked());
    EXPECT_TRUE(w.dlg->MenuAction(kCmdSaveOnExit)->isChecked());  // 2 counts as on
    EXPECT_FALSE(w.dlg->MenuAction(kCmdShowTime)->isChecked());
    EXPECT_FALSE(w.Control(kSliderTime)->isVisible());
    // Locks restored, their controls disabled.
    EXPECT_FALSE(w.Control(kEditHours)->isEnabled());
    EXPECT_FALSE(w.Control(kEditSize)->isEnabled());
    EXPECT_EQ(w.Text(kEditMinutes), "00");  // 3600 seconds
    EXPECT_EQ(w.Text(kEditHours), "01");
    // "Aus" checked: no audio, audio controls disabled.
    EXPECT_TRUE(qobject_cast<QCheckBox*>(w.Control(kAudioOff))->isChecked());
    EXPECT_FALSE(w.Control(kEditAudio)->isEnabled());
    EXPECT_EQ(w.Text(kEditAudio), "0");
    EXPECT_EQ(w.Text(kEditVideo), "1995");  // the dword was not read
    EXPECT_EQ(w.Text(kComboSizeUnit), "Kilobyte");
    EXPECT_EQ(w.Text(kEditSize), "1433600");
    // Values read are shown as stored, with the state they give.
    EXPECT_EQ(w.Text(kLabelAudioData), "0 Byte");
    EXPECT_EQ(w.dlg->StatusBarWidget()->Text(1), "Ungeprüft");
}

TEST_F(StoredSettings, OutOfRangeValuesStartFaulty) {
    Prepare(
        "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Sizesettings]\n"
        "\"CD_Count\"=hex:00,00,00,00,00,00,00,00\n"
        "\"Datatype\"=hex:ff\n");
    WindowDriver w;
    EXPECT_EQ(w.StatusWord(), "Fehlerhaft");
    EXPECT_EQ(w.Text(kComboSizeUnit), "");  // no unit selected: bytes
    EXPECT_EQ(w.Text(kEditSize), "1468006400");
    EXPECT_EQ(w.Text(kEditCdCount), "0");
}

TEST_F(StoredSettings, SavingAndStartingAgainBringsEverythingBack) {
    {
        WindowDriver w;
        w.Choose(kComboSizeUnit, 3);
        w.Command(kCmdAutoRange);          // off, so that the values stay as typed
        w.Paste(kEditSize, "6000000000");  // above 32 bits
        w.Paste(kEditAudio, "-7");         // negative
        w.ClickCheckBox(kFixVideo);
        w.Click(kToggleAudio);  // collapsed
        w.Command(kCmdToolTips);
        w.Command(kCmdSaveSettings);
    }
    const QByteArray stored = Stored();
    EXPECT_TRUE(stored.contains("\"Size_Value\"=hex:00,bc,a0,65,01,00,00,00")) << stored.data();
    EXPECT_TRUE(stored.contains("\"Audio_Value\"=hex:f9,ff,ff,ff,ff,ff,ff,ff"));
    EXPECT_TRUE(stored.contains("\"Datatype\"=hex:03"));

    WindowDriver again;
    EXPECT_EQ(again.Text(kComboSizeUnit), "Byte");
    EXPECT_EQ(again.Text(kEditAudio), "-7");
    EXPECT_FALSE(again.dlg->MenuAction(kCmdAutoRange)->isChecked());
    EXPECT_TRUE(qobject_cast<QCheckBox*>(again.Control(kFixVideo))->isChecked());
    EXPECT_FALSE(again.Control(kEditVideo)->isEnabled());
    EXPECT_FALSE(again.Control(kSliderAudio)->isVisible());
    EXPECT_EQ(again.Text(kLabelAudioUnit), "kBits/s");
    EXPECT_EQ(again.dlg->MenuAction(kCmdToolTips)->text(), "Tooltips aktivieren");
}

TEST_F(StoredSettings, UnknownContentSurvivesASave) {
    Prepare(
        "; kept by hand\n"
        "[HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin\\Mine]\n"
        "\"Note\"=\"Hallo\"\n");
    WindowDriver w;
    w.Command(kCmdSaveSettings);
    const QByteArray stored = Stored();
    EXPECT_TRUE(stored.contains("\"Note\"=\"Hallo\""));
    EXPECT_TRUE(stored.contains(kKey));
    EXPECT_TRUE(stored.contains("\"Time_Value\"=hex:18,15,00,00,00,00,00,00"));
}

// The whole life of the program: settings are written after the main loop
// ends, and only while "Au&tomatisch speichern" is on.
TEST_F(StoredSettings, EndingTheProgramSavesOnlyWhenAsked) {
    for (bool saveOnExit : {false, true}) {
        QFile::remove(SettingsFile());
        CRateApp app(*qApp);
        QTimer::singleShot(0, [&] {
            CRateDlg* dlg = app.MainWindow();
            ASSERT_NE(dlg, nullptr);
            if (saveOnExit) dlg->MenuAction(kCmdSaveOnExit)->trigger();
            dlg->MenuAction(kCmdExit)->trigger();
            // Nothing is written before the loop has ended.
            EXPECT_FALSE(QFile::exists(SettingsFile()));
        });
        EXPECT_EQ(app.InitInstance(), 0);
        EXPECT_EQ(QFile::exists(SettingsFile()), saveOnExit);
        if (saveOnExit) {
            EXPECT_TRUE(Stored().contains("\"SaveSettings\"=hex:01"));
        }
    }
}
