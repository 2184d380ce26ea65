// A seeded stream of random user actions on the real window — hostile text
// typed or pasted into every field, locks, "Aus", lists, sliders, options,
// sections — after each of which every value field must hold a readable
// number: an unreadable text is always put back at once, nothing crashes and
// the sanitizers stay silent on the wrapping arithmetic.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <random>

#include "core/number_text.h"
#include "res/resource_ids.h"
#include "tests/mainwnd/window_driver.h"

using namespace res;

namespace {

constexpr int kValueEdits[] = {kEditHours, kEditMinutes, kEditSeconds, kEditAudio,
                               kEditVideo, kEditSize,    kEditCdCount};

QString RandomText(std::mt19937& rng) {
    static const QString kAlphabet =
        QStringLiteral("0123456789999999-- +.,aäß\t\u00a0\u20ac\U0001F600");
    const int length = static_cast<int>(rng() % (rng() % 8 == 0 ? 80 : 6));
    QString text;
    for (int i = 0; i < length; ++i)
        text += kAlphabet.at(static_cast<int>(rng() % kAlphabet.size()));
    return text;
}

// Types `text` key by key, characters outside ASCII included.
void TypeKeys(QWidget* widget, const QString& text) {
    for (const uint codePoint : text.toUcs4()) {
        const QString character =
            QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, character, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, character, Qt::NoModifier);
    }
}

bool Readable(const QString& text) {
    const QByteArray bytes = text.left(static_cast<int>(kReadNumberMaxChars)).toUtf8();
    int64_t value = 0;
    return ParseNumber(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                       &value);
}

}  // namespace

TEST(RandomInput, EveryFieldStaysReadableWhateverTheUserDoes) {
    WindowDriver w;
    std::mt19937 rng(20261207);
    constexpr int commands[] = {kCmdAutoCalculate, kCmdAutoRange, kCmdRecalculate, kCmdShowTime,
                                kCmdShowAudio,     kCmdShowVideo, kCmdShowSize,    kCmdStatusBar};
    static_assert(std::ranges::none_of(commands, IsSystemExitCommand),
                  "the random stream never logs off, restarts or powers off");
    const int boxes[] = {kFixTime, kFixAudio, kFixVideo, kFixSize, kAudioOff};
    const int sliders[] = {kSliderTime, kSliderAudio, kSliderVideo, kSliderSize};
    for (int step = 0; step < 1500; ++step) {
        const int edit = kValueEdits[rng() % std::size(kValueEdits)];
        switch (rng() % 8) {
            case 0:
            case 1:
                if (w.Control(edit)->isEnabled()) w.Paste(edit, RandomText(rng));
                break;
            case 2:
                if (w.Control(edit)->isEnabled()) {
                    w.Edit(edit)->setFocus();
                    TypeKeys(w.Edit(edit), RandomText(rng));
                }
                break;
            case 3:
                w.ClickCheckBox(boxes[rng() % std::size(boxes)]);
                break;
            case 4: {
                QSlider* s = w.Slider(sliders[rng() % std::size(sliders)]);
                if (!s->isEnabled() || !s->isVisible()) break;
                s->setFocus();
                const Qt::Key keys[] = {Qt::Key_Left,     Qt::Key_Right, Qt::Key_PageUp,
                                        Qt::Key_PageDown, Qt::Key_Home,  Qt::Key_End};
                QTest::keyClick(s, keys[rng() % std::size(keys)]);
                break;
            }
            case 5:
                if (w.Control(kComboSizeUnit)->isEnabled()) {
                    w.Choose(rng() % 2 ? kComboSizeUnit : kComboCdSize,
                             static_cast<int>(rng() % 3));
                }
                break;
            case 6:
                w.Command(commands[rng() % std::size(commands)]);
                break;
            default:
                w.ClickEmptyPlace();
                break;
        }
        for (const int id : kValueEdits) {
            ASSERT_TRUE(Readable(w.Text(id)))
                << "step " << step << ": field " << id << " holds " << w.Text(id).toStdString();
        }
    }
}
