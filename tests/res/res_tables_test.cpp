// Checks the resource tables against the rules the rest of the program relies
// on: identifiers, geometry, names, and the string numbers that the tooltips
// and the menu help compute from identifiers.
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/film_model.h"
#include "core/slider_scale.h"
#include "res/dialog_template.h"
#include "res/resource_ids.h"

namespace {

// Number of code points, or -1 when the text is not valid UTF-8 or holds a
// control character.
int Utf8Length(std::string_view s) {
    int count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        if (b < 0x20 || b == 0x7f) return -1;
        if (b < 0x80) {
            n = 1;
        } else if ((b & 0xe0) == 0xc0 && b >= 0xc2) {
            n = 2;
        } else if ((b & 0xf0) == 0xe0) {
            n = 3;
        } else if ((b & 0xf8) == 0xf0 && b <= 0xf4) {
            n = 4;
        } else {
            return -1;
        }
        if (i + n > s.size()) return -1;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80) return -1;
        }
        i += n;
    }
    return count;
}

const DialogControl* FindControl(int id) {
    for (const DialogControl& c : MainDialogTemplate().controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Dialog template 101

TEST(MainDialog, Header) {
    const DialogTemplate& t = MainDialogTemplate();
    EXPECT_EQ(t.id, res::kMainDialog);
    EXPECT_EQ(t.width, 236);
    EXPECT_EQ(t.height, 266);
    EXPECT_EQ(t.menuId, MainMenuTemplate().id);
    EXPECT_EQ(t.controls.size(), 55u);
}

TEST(MainDialog, IdentifiersAreUniqueAndCoverTheControlRange) {
    std::set<int> ids;
    for (const DialogControl& c : MainDialogTemplate().controls) {
        EXPECT_TRUE(ids.insert(c.id).second) << "duplicate id " << c.id;
    }
    // The controls are numbered 1011 to 1065 without gaps.
    std::set<int> expected;
    for (int id = res::kSliderTime; id <= res::kCaptionTime; ++id)
        expected.insert(id);
    EXPECT_EQ(ids, expected);
}

TEST(MainDialog, EveryControlLiesInsideTheTemplate) {
    const DialogTemplate& t = MainDialogTemplate();
    for (const DialogControl& c : t.controls) {
        const DialogRect& r = c.rect;
        EXPECT_GT(r.width, 0) << c.id;
        EXPECT_GT(r.height, 0) << c.id;
        EXPECT_GE(r.x, 0) << c.id;
        EXPECT_GE(r.y, 0) << c.id;
        EXPECT_LE(r.x + r.width, t.width) << c.id;
        EXPECT_LE(r.y + r.height, t.height) << c.id;
    }
}

// One frame per section; each frame runs from the top of its section down to
// the common bottom edge, and every other control starts inside its own
// section, between the top of its frame and the top of the next one.
TEST(MainDialog, ControlsStartInsideTheirSection) {
    std::map<DialogSection, DialogRect> frames;
    for (const DialogControl& c : MainDialogTemplate().controls) {
        if (c.cls == ControlClass::GroupBox) {
            EXPECT_TRUE(frames.emplace(c.section, c.rect).second) << "second frame " << c.id;
        }
    }
    ASSERT_EQ(frames.size(), 5u);
    const DialogRect outer = frames.at(DialogSection::Time);
    int previousTop = -1;
    for (const auto& [section, r] : frames) {
        EXPECT_EQ(r.x, outer.x);
        EXPECT_EQ(r.width, outer.width);
        EXPECT_EQ(r.y + r.height, outer.y + outer.height)
            << "frame of section " << static_cast<int>(section);
        EXPECT_GT(r.y, previousTop) << "sections go down in their order";
        previousTop = r.y;
    }
    for (const DialogControl& c : MainDialogTemplate().controls) {
        if (c.cls == ControlClass::GroupBox) continue;
        const int top = frames.at(c.section).y;
        const auto next = frames.upper_bound(c.section);
        const int bottom = next == frames.end() ? outer.y + outer.height : next->second.y;
        EXPECT_GE(c.rect.y, top) << c.id;
        EXPECT_LT(c.rect.y, bottom) << c.id;
        EXPECT_GE(c.rect.x, outer.x) << c.id;
        EXPECT_LE(c.rect.x + c.rect.width, outer.x + outer.width) << c.id;
    }
}

TEST(MainDialog, AccessibleNamesAreDistinct) {
    std::set<std::string> names;
    for (const DialogControl& c : MainDialogTemplate().controls) {
        ASSERT_NE(c.accessibleName, nullptr) << c.id;
        EXPECT_GT(Utf8Length(c.accessibleName), 0) << c.id;
        EXPECT_TRUE(names.insert(c.accessibleName).second)
            << c.id << " repeats the name " << c.accessibleName;
    }
}

TEST(MainDialog, TextsAreCleanUtf8) {
    for (const DialogControl& c : MainDialogTemplate().controls) {
        if (c.text) {
            EXPECT_GT(Utf8Length(c.text), 0) << c.id;
        }
        for (const char* item : c.items)
            EXPECT_GT(Utf8Length(item), 0) << c.id;
    }
}

// What the user can operate takes part in the tab order; labels and frames
// never do. Only combo boxes carry list entries.
TEST(MainDialog, TabStopsAndListEntriesByClass) {
    for (const DialogControl& c : MainDialogTemplate().controls) {
        const bool operable = c.cls != ControlClass::Static && c.cls != ControlClass::GroupBox;
        EXPECT_EQ((c.style & kTabStop) != 0, operable) << c.id;
        EXPECT_EQ(!c.items.empty(), c.cls == ControlClass::ComboBox) << c.id;
    }
}

// Each slider and its three labels are hidden with their section; the results
// cannot be collapsed.
TEST(MainDialog, ExtendedControls) {
    std::map<DialogSection, int> extended;
    for (const DialogControl& c : MainDialogTemplate().controls) {
        if (c.cls == ControlClass::Trackbar) {
            EXPECT_TRUE(c.extended) << c.id;
        }
        if (c.extended) ++extended[c.section];
    }
    EXPECT_EQ(extended.count(DialogSection::Results), 0u);
    for (const DialogSection s :
         {DialogSection::Time, DialogSection::Audio, DialogSection::Video, DialogSection::Size}) {
        EXPECT_EQ(extended[s], 4) << static_cast<int>(s);
    }
}

TEST(MainDialog, CdSizeEntriesMatchTheSizesTable) {
    const DialogControl* combo = FindControl(res::kComboCdSize);
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->items.size(), kCdSizes.size());
    for (std::size_t i = 0; i < kCdSizes.size(); ++i) {
        // "650 MB" is 650 MByte.
        char* end = nullptr;
        const long megabytes = std::strtol(combo->items[i], &end, 10);
        EXPECT_STREQ(end, " MB");
        EXPECT_EQ(int64_t{megabytes} * 1048576, kCdSizes[i]) << combo->items[i];
    }
}

TEST(MainDialog, SizeUnitEntriesInShiftOrder) {
    // Index 0, 1, 2 are read with a shift of 30, 20, 10 bits; anything else is bytes.
    const DialogControl* combo = FindControl(res::kComboSizeUnit);
    ASSERT_NE(combo, nullptr);
    const char* const expected[] = {"Gigabyte", "Megabyte", "Kilobyte", "Byte"};
    ASSERT_EQ(combo->items.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_STREQ(combo->items[i], expected[i]);
    }
}

// ---------------------------------------------------------------------------
// Menu 130

std::vector<const MenuItem*> Commands() {
    std::vector<const MenuItem*> out;
    for (const MenuItem& popup : MainMenuTemplate().popups) {
        for (const MenuItem& item : popup.children) {
            if (item.id != 0) out.push_back(&item);
        }
    }
    return out;
}

const MenuItem* FindCommand(int id) {
    for (const MenuItem* item : Commands()) {
        if (item->id == id) return item;
    }
    return nullptr;
}

TEST(MainMenu, Structure) {
    const MenuTemplate& m = MainMenuTemplate();
    EXPECT_EQ(m.id, res::kMainMenu);
    ASSERT_EQ(m.popups.size(), 5u);
    for (const MenuItem& popup : m.popups) {
        ASSERT_NE(popup.text, nullptr);
        EXPECT_FALSE(popup.children.empty()) << popup.text;
        for (const MenuItem& item : popup.children) {
            EXPECT_TRUE(item.children.empty()) << "no nested pop-ups";
            if (item.id == 0) {
                EXPECT_EQ(item.text, nullptr) << "a separator has no text";
                EXPECT_FALSE(item.checked);
            } else {
                ASSERT_NE(item.text, nullptr) << item.id;
                EXPECT_GT(Utf8Length(item.text), 0) << item.id;
            }
        }
        // Separators only between items.
        EXPECT_NE(popup.children.front().id, 0) << popup.text;
        EXPECT_NE(popup.children.back().id, 0) << popup.text;
    }
}

TEST(MainMenu, CommandIdsAreUniqueAndOutsideTheControlRange) {
    std::set<int> ids;
    for (const MenuItem* item : Commands()) {
        EXPECT_TRUE(ids.insert(item->id).second) << "duplicate " << item->id;
        EXPECT_GE(item->id, res::kCmdExit) << item->id;
        EXPECT_LE(item->id, res::kCmdInfo) << item->id;
    }
}

// Within one menu, and on the menu bar, no two entries share a mnemonic.
TEST(MainMenu, MnemonicsAreDistinct) {
    auto mnemonic = [](const char* text) -> int {
        const char* amp = text ? std::strchr(text, '&') : nullptr;
        return amp ? std::tolower(static_cast<unsigned char>(amp[1])) : -1;
    };
    std::set<int> bar;
    for (const MenuItem& popup : MainMenuTemplate().popups) {
        const int key = mnemonic(popup.text);
        EXPECT_NE(key, -1) << popup.text;
        EXPECT_TRUE(bar.insert(key).second) << popup.text;
        std::set<int> keys;
        for (const MenuItem& item : popup.children) {
            const int k = mnemonic(item.text);
            if (k != -1) {
                EXPECT_TRUE(keys.insert(k).second) << item.text;
            }
        }
    }
}

// The section items are never set at start-up, so their resource check marks
// must agree with the sections' initial state.
TEST(MainMenu, SectionItemsStartLikeTheSections) {
    const FilmModel model;
    const struct {
        int id;
        int32_t shown;
    } rows[] = {{res::kCmdShowTime, model.timeShown},
                {res::kCmdShowAudio, model.audioShown},
                {res::kCmdShowVideo, model.videoShown},
                {res::kCmdShowSize, model.sizeShown}};
    for (const auto& r : rows) {
        const MenuItem* item = FindCommand(r.id);
        ASSERT_NE(item, nullptr) << r.id;
        EXPECT_EQ(item->checked, r.shown != 0) << r.id;
    }
}

// ---------------------------------------------------------------------------
// String table

TEST(Strings, EveryTooltipControlHasItsText) {
    // The control with identifier n shows string n - 1010; a tip holds at most
    // 79 characters.
    for (int id = res::kSliderTime; id <= res::kEditCdCount; ++id) {
        EXPECT_NE(FindControl(id), nullptr) << id;
        const char* text = LoadString(id - 1010);
        ASSERT_NE(text, nullptr) << id;
        const int length = Utf8Length(text);
        EXPECT_GT(length, 0) << id;
        EXPECT_LE(length, 79) << id;
    }
}

// Pop-up p shows 200 + p; item i shows i - 32560; the five items whose meaning
// flips (32781 to 32785) show i - 32260 in their other state. A help text
// holds at most 255 characters.
TEST(Strings, EveryMenuEntryHasItsHelpText) {
    auto expectHelp = [](int number, const std::string& what) {
        const char* text = LoadString(number);
        ASSERT_NE(text, nullptr) << what << " needs string " << number;
        const int length = Utf8Length(text);
        EXPECT_GT(length, 0) << number;
        EXPECT_LE(length, 255) << number;
    };
    const auto& popups = MainMenuTemplate().popups;
    for (std::size_t p = 0; p < popups.size(); ++p) {
        expectHelp(200 + static_cast<int>(p), popups[p].text);
    }
    for (const MenuItem* item : Commands()) {
        expectHelp(item->id - 32560, item->text);
        if (item->id >= res::kCmdToolTips && item->id <= res::kCmdShowSize) {
            expectHelp(item->id - 32260, item->text);
        }
    }
}

// Every menu help text belongs to a menu entry, so a mistyped command id shows
// up here even if it happens to hit another string.
TEST(Strings, NoHelpTextWithoutMenuEntry) {
    std::set<int> used;
    for (std::size_t p = 0; p < MainMenuTemplate().popups.size(); ++p) {
        used.insert(200 + static_cast<int>(p));
    }
    for (const MenuItem* item : Commands()) {
        used.insert(item->id - 32560);
        if (item->id >= res::kCmdToolTips && item->id <= res::kCmdShowSize) {
            used.insert(item->id - 32260);
        }
    }
    for (int n = 100; n < 1000; ++n) {
        if (LoadString(n) != nullptr) {
            EXPECT_TRUE(used.count(n)) << "string " << n;
        }
    }
}

TEST(Strings, NumbersWithoutStringGiveNull) {
    for (const int n : {INT_MIN, -1, 0, 23, 199, 205, 520, 526, 1011, 32780, INT_MAX}) {
        EXPECT_EQ(LoadString(n), nullptr) << n;
    }
}

}  // namespace
