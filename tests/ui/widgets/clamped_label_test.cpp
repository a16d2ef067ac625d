#include "ui/paint/theme.h"
#include "ui/widgets/clamped_label.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <cmath>

namespace clarivex {
namespace {

TEST(ClampedLabelTest, AClampedLabelShowsAtMostThreeWholeLinesWithTheRestInItsTooltip) {
    QString seven;
    for (int line = 1; line <= 7; ++line)
        seven += QStringLiteral("Сбой движка на шаге %1, код -9\n").arg(line);
    const QString longWord = QString(200, QLatin1Char('x'));
    const struct {
        QString text;
        int width;
        bool clamped;
    } cases[] = {
        {QStringLiteral("Не удалось прочитать файл."), 330, false},
        {seven, 330, true},
        {longWord, 200, true},
        {QStringLiteral("Файл занят"), 40, false},
    };
    for (const auto& c : cases) {
        ClampedLabel label(c.text, 3, Theme::body(12), Theme::muted());
        label.resize(c.width, label.heightForWidth(c.width));
        label.show();
        const QStringList lines = label.linesAt(c.width);
        EXPECT_LE(lines.size(), 3) << c.width;
        for (const QString& line : lines)
            EXPECT_LE(QFontMetricsF(label.font()).horizontalAdvance(line), c.width)
                << line.toStdString();
        EXPECT_EQ(label.isClamped(), c.clamped) << c.width;
        EXPECT_EQ(label.toolTip(), c.clamped ? c.text : QString());
        EXPECT_EQ(label.text(), lines.join(QLatin1Char('\n')));
        // Whole lines: the height holds exactly the lines shown.
        EXPECT_EQ(label.height(),
                  int(std::ceil(lines.size() * QFontMetricsF(label.font()).lineSpacing())));
    }
}

TEST(ClampedLabelTest, AClampedLabelsLastLineIsALineOfTheTextEndingInAnEllipsisWhenMoreWasCut) {
    // An engine's eight short lines: lines four to eight together would fit the width, and
    // were once run together into the third.
    QString engine;
    for (int line = 1; line <= 8; ++line)
        engine += QStringLiteral("строка %1\n").arg(line);
    const struct {
        QString text;
        QStringList lines;
    } cases[] = {
        {engine, {"строка 1", "строка 2", "строка 3…"}},
        {QStringLiteral("первая\nвторая\nтретья\n"), {"первая", "вторая", "третья"}},
        {QStringLiteral("одна\n\nпосле пустой"), {"одна", "", "после пустой"}},
    };
    for (const auto& c : cases) {
        ClampedLabel label(c.text, 3, Theme::body(12), Theme::muted());
        label.resize(400, label.heightForWidth(400));
        label.show();
        EXPECT_EQ(label.linesAt(400), c.lines) << c.text.toStdString();
        EXPECT_EQ(label.toolTip(), c.lines.back().endsWith(QChar(0x2026)) ? c.text : QString());
    }
}

} // namespace
} // namespace clarivex
