// The window and tessarin-calc give the same numbers for the same steps: a
// seeded stream of changes is made on the real window (typing into its
// fields, its lock boxes, the CD and unit lists, key steps on its sliders)
// and, as the command line that says the same, through the tool's own code
// from the previous state; after each step the values, results and state
// must agree, in the window's model and in what both show.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "core/slider_scale.h"
#include "res/resource_ids.h"
#include "tests/mainwnd/window_driver.h"
#include "tools/calc_apply.h"
#include "tools/calc_options.h"
#include "tools/calc_output.h"

using namespace res;

namespace {

int64_t Read(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    int64_t value = 0;
    EXPECT_TRUE(ParseNumber(std::string_view(bytes.constData(), bytes.size()), &value))
        << text.toStdString();
    return value;
}

// The value of one line of the tool's text, after its caption.
std::string ToolLine(const std::string& text, const std::string& caption) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(caption + ":")) {
            const std::size_t at = line.find_first_not_of(' ', caption.size() + 1);
            return line.substr(at);
        }
    }
    return "(no line " + caption + ")";
}

class Steps {
public:
    Steps(WindowDriver& w, bool limits, unsigned seed) : w_(w), limits_(limits), rng_(seed) {
        if (!limits) w_.Command(kCmdAutoRange);
        start_.model = w_.dlg->Model();
        EXPECT_FALSE(Checked(kAudioOff));  // "Aus" is a box the tool does not click
        for (const int box : {kFixTime, kFixAudio, kFixVideo, kFixSize})
            start_.locks[box - kFixTime] = Checked(box);
    }

    // One random step on the window; false when the chosen control was not
    // usable. On success `args` holds the same step as a command line.
    bool Step(std::vector<std::string>& args) {
        const auto pick = [&](int lo, int hi) {
            return std::to_string(lo +
                                  static_cast<int>(rng_() % static_cast<unsigned>(hi - lo + 1)));
        };
        switch (rng_() % 9) {
            case 0: {  // a time field
                const int fields[] = {kEditHours, kEditMinutes, kEditSeconds};
                const int id = fields[rng_() % 3];
                if (!Enabled(id)) return false;
                w_.Paste(id, QString::fromStdString(id == kEditHours ? pick(-2, 4) : pick(-5, 75)));
                args = {"--duration",
                        Text(kEditHours) + ":" + Text(kEditMinutes) + ":" + Text(kEditSeconds)};
                return true;
            }
            case 1:
                return Type(kEditAudio, pick(-5, 450), "--audio", "", args);
            case 2:
                return Type(kEditVideo, pick(-5, 7000), "--video", "", args);
            case 3: {
                const char* units[] = {"G", "M", "K", "B"};
                const int unit = Combo(kComboSizeUnit)->currentIndex();
                const int top[] = {3, 3000, 3000000, 2000000000};
                return Type(kEditSize, pick(-1, top[unit]), "--size", units[unit], args);
            }
            case 4:
                return Type(kEditCdCount, pick(0, 5), "--parts", "", args);
            case 5: {  // the next or previous entry of a list
                const int id = rng_() % 2 ? kComboCdSize : kComboSizeUnit;
                QComboBox* c = Combo(id);
                if (!c->isEnabled()) return false;
                const int to = c->currentIndex() + (c->currentIndex() == 0 ? 1
                                                    : c->currentIndex() == c->count() - 1
                                                        ? -1
                                                        : (rng_() % 2 ? 1 : -1));
                const int64_t count = Read(w_.Text(kEditCdCount));
                if (id == kComboCdSize && count < 1) return false;  // the tool needs a CD
                w_.Choose(id, to);
                if (id == kComboSizeUnit) return true;  // only shows the size again
                const char* sizes[] = {"650", "700", "800"};
                args = {"--cds", std::to_string(count), "--cd-size", sizes[to]};
                return true;
            }
            case 6:
            case 7: {  // a key step on the time, audio or video slider
                const int sliders[] = {kSliderTime, kSliderAudio, kSliderVideo};
                const int id = sliders[rng_() % 3];
                QSlider* s = w_.Slider(id);
                const bool right = rng_() % 2 != 0;
                if (!s->isEnabled() || s->value() == (right ? s->maximum() : s->minimum()))
                    return false;
                s->setFocus();
                QTest::keyClick(s, right ? Qt::Key_Right : Qt::Key_Left);
                const int p = s->value();
                if (id == kSliderTime) args = {"--duration", std::to_string(p)};
                if (id == kSliderAudio) args = {"--audio", std::to_string(AudioRateAtPosition(p))};
                if (id == kSliderVideo) args = {"--video", std::to_string(p)};
                return true;
            }
            default: {  // a lock box; nothing is calculated
                const int box = kFixTime + static_cast<int>(rng_() % 4);
                w_.ClickCheckBox(box);
                start_.locks[box - kFixTime] = Checked(box);
                return true;
            }
        }
    }

    // The same step through the tool, from the state before it. False when
    // the tool refuses the result as beyond 64 bits, where the window wraps.
    bool Follow(std::vector<std::string> args) {
        std::vector<std::string> words = {"--lock", Locks()};
        if (!limits_) words.push_back("--no-limits");
        words.insert(words.end(), args.begin(), args.end());
        const std::vector<std::string_view> views(words.begin(), words.end());
        const calc::ParsedOptions parsed = calc::ParseOptions(views);
        EXPECT_EQ(parsed.error, "");
        tool_ = calc::Calculate(parsed.options, start_);
        if (!tool_.error.empty()) {
            EXPECT_NE(tool_.error.find("64 bits"), std::string::npos) << tool_.error;
            return false;
        }
        start_.model = tool_.model;
        return true;
    }

    void ExpectSame(const std::string& where) {
        const FilmModel& m = w_.dlg->Model();
        const FilmModel& t = tool_.model;
        EXPECT_EQ(m.totalSeconds, t.totalSeconds) << where;
        EXPECT_EQ(m.audioRate, t.audioRate) << where;
        EXPECT_EQ(m.videoRate, t.videoRate) << where;
        EXPECT_EQ(m.sizeBytes, t.sizeBytes) << where;
        EXPECT_EQ(m.parts, t.parts) << where;
        const std::string text = calc::FormatText(tool_);
        const std::pair<int, const char*> results[] = {{kLabelHeader, "Headerdaten"},
                                                       {kLabelAudioData, "Audiodaten"},
                                                       {kLabelVideoData, "Videodaten"},
                                                       {kLabelTotalData, "Gesamtdaten"}};
        for (const auto& [id, caption] : results)
            EXPECT_EQ(Text(id), ToolLine(text, caption)) << where;
        EXPECT_EQ(w_.StatusWord().toStdString(), ToolLine(text, "Status")) << where;
        EXPECT_EQ(Text(kLabelSizeSlider), ToolLine(text, "Max. Datengröße")) << where;
        EXPECT_EQ(Text(kLabelVideoSlider), ToolLine(text, "Videodatenrate")) << where;
    }

private:
    bool Enabled(int id) const { return w_.Control(id)->isEnabled(); }
    bool Checked(int id) const { return qobject_cast<QCheckBox*>(w_.Control(id))->isChecked(); }
    QComboBox* Combo(int id) const { return qobject_cast<QComboBox*>(w_.Control(id)); }
    std::string Text(int id) const { return w_.Text(id).toStdString(); }

    bool Type(int id, const std::string& value, const char* option, const char* unit,
              std::vector<std::string>& args) {
        if (!Enabled(id)) return false;
        w_.Paste(id, QString::fromStdString(value));
        args = {option, value + unit};
        return true;
    }

    std::string Locks() const {
        std::string list;
        for (int q = Time; q <= Size; ++q) {
            if (start_.locks[static_cast<std::size_t>(q)])
                list += (list.empty() ? "" : ",") + std::string(calc::QuantityName(q));
        }
        return list.empty() ? "none" : list;
    }

    WindowDriver& w_;
    bool limits_;
    std::mt19937 rng_;
    calc::StartState start_;
    calc::Calculation tool_;
};

void RunSteps(bool limits, unsigned seed) {
    WindowDriver w;
    Steps steps(w, limits, seed);
    int calculated = 0;
    for (int i = 0; i < 1200; ++i) {
        std::vector<std::string> args;
        if (!steps.Step(args) || args.empty()) continue;
        std::string where = "step " + std::to_string(i) + ":";
        for (const std::string& a : args)
            where += " " + a;
        if (!steps.Follow(args)) {
            // Without limits a duration typed into the time fields can grow
            // until a solve leaves 64 bits (or the time solve's 32): the
            // window wraps there, and the tool refuses. The stream ends.
            EXPECT_FALSE(limits) << where;
            break;
        }
        steps.ExpectSame(where);
        if (::testing::Test::HasFailure()) return;
        ++calculated;
    }
    EXPECT_GT(calculated, 300);
}

TEST(CalcAndWindow, SameNumbersForTheSameSteps) {
    RunSteps(true, 20261212);
}

TEST(CalcAndWindow, SameNumbersForTheSameStepsWithoutLimits) {
    RunSteps(false, 4711);
}

}  // namespace
