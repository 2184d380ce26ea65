// The window's captions with whatever sans serif the machine has: run once
// with the system's fonts, once under a fontconfig configuration that hides
// Liberation Sans (a substitute must take its place and nothing may be cut)
// and once with no metric-compatible face at all (one line names the
// package). The argument --fonts=system, --fonts=no-liberation or
// --fonts=none says which of the three this run is.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QStyleOptionButton>

#include "res/dialog_template.h"
#include "res/resource_ids.h"
#include "ui/font_substitutes.h"
#include "window_driver.h"

namespace {

QString Fonts() {
    for (const QString& argument : QCoreApplication::arguments()) {
        if (argument.startsWith(QLatin1String("--fonts="))) return argument.mid(8);
    }
    return QStringLiteral("system");
}

TEST(DialogFont, ASubstituteTakesTheMissingFontsPlace) {
    if (Fonts() == QLatin1String("none")) GTEST_SKIP() << "no face to substitute";
    const bool hidden = Fonts() == QLatin1String("no-liberation");
    ASSERT_EQ(QFontDatabase::families().filter(QStringLiteral("Liberation Sans")).isEmpty(), hidden)
        << "the fontconfig configuration of this run does not apply";
    EXPECT_EQ(InstallDialogFontSubstitutes(), QString());

    WindowDriver w;
    // "Family [Foundry]" when several foundries make it.
    const QString used = QFontInfo(w.Control(res::kCaptionAudio)->font())
                             .family()
                             .section(QStringLiteral(" ["), 0, 0);
    if (hidden) {
        EXPECT_TRUE(DialogFontSubstitutes().contains(used))
            << "the window uses " << used.toStdString();
    } else {
        EXPECT_EQ(used, QStringLiteral("Liberation Sans"));
    }
}

TEST(DialogFont, NoCaptionIsCut) {
    if (Fonts() == QLatin1String("none")) GTEST_SKIP() << "captions may be cut, as said";
    WindowDriver w;
    for (const DialogControl& c : MainDialogTemplate().controls) {
        if (!c.text) continue;
        if (auto* label = qobject_cast<QLabel*>(w.Control(c.id))) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << c.id << " " << c.text;
        } else if (auto* box = qobject_cast<QCheckBox*>(w.Control(c.id))) {
            QStyleOptionButton option;
            option.initFrom(box);
            option.text = box->text();
            const QRect contents =
                box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
            EXPECT_LE(box->fontMetrics().horizontalAdvance(box->text()), contents.width())
                << c.id << " " << c.text;
        }
    }
}

TEST(DialogFont, WithoutAnySubstituteOneLineNamesThePackage) {
    if (Fonts() != QLatin1String("none")) GTEST_SKIP() << "a face is installed";
    const QString message = InstallDialogFontSubstitutes();
    EXPECT_FALSE(message.contains(QLatin1Char('\n')));
    EXPECT_TRUE(message.contains(QStringLiteral("Liberation Sans")));
    EXPECT_TRUE(message.contains(QStringLiteral("fonts-liberation2")));
}

}  // namespace
