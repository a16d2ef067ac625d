#include "ui/widgets/ambient_background.h"
#include "ui/widgets/before_after_slider.h"
#include "ui/widgets/big_progress.h"
#include "ui/widgets/card.h"
#include "ui/widgets/glow_bar.h"
#include "ui/widgets/mini_ring.h"
#include "ui/widgets/option_tile.h"
#include "ui/widgets/scan_preview.h"
#include "ui/widgets/segmented.h"
#include "ui/widgets/size_tile.h"

#include <QMetaProperty>
#include <QSignalSpy>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace clarivex {
namespace {

struct PropertyCase {
    const char* property;
    QVariant value;
    std::function<std::unique_ptr<QWidget>()> make;
};

// What the window binds must notify exactly once per real change, and never for a repeat, or
// bindings would loop or miss updates.
TEST(WidgetPropertiesTest, WritingAPropertyNotifiesOnceAndRepeatsStayQuiet) {
    const QImage picture(40, 30, QImage::Format_RGB32);
    const std::vector<PropertyCase> cases{
        {"intensity", 0.4, [] { return std::make_unique<AmbientBackground>(); }},
        {"position", 0.25,
         [&] { return std::make_unique<BeforeAfterSlider>(picture, picture, "ПОСЛЕ"); }},
        {"zoom", 2.0,
         [&] { return std::make_unique<BeforeAfterSlider>(picture, picture, "ПОСЛЕ"); }},
        {"fraction", 0.3, [] { return std::make_unique<BigProgress>(); }},
        {"detail", QStringLiteral("кадр 3"), [] { return std::make_unique<BigProgress>(); }},
        {"highlighted", true, [] { return std::make_unique<Card>(); }},
        {"value", 0.6, [] { return std::make_unique<GlowBar>(); }},
        {"value", 0.6, [] { return std::make_unique<MiniRing>(); }},
        {"selected", true, [] { return std::make_unique<OptionTile>("bolt", "А", "Б"); }},
        {"selected", true, [] { return std::make_unique<SizeTile>("2×", "Б"); }},
        {"fraction", 0.7, [] { return std::make_unique<ScanPreview>(); }},
        {"selection", 3, [] { return std::make_unique<Segmented>(); }},
    };
    for (const PropertyCase& row : cases) {
        SCOPED_TRACE(row.property);
        const std::unique_ptr<QWidget> widget = row.make();
        const QMetaObject* meta = widget->metaObject();
        const QMetaProperty property = meta->property(meta->indexOfProperty(row.property));
        ASSERT_TRUE(property.hasNotifySignal());
        QSignalSpy spy(widget.get(), property.notifySignal());
        ASSERT_TRUE(widget->setProperty(row.property, row.value));
        widget->setProperty(row.property, row.value);
        EXPECT_EQ(spy.count(), 1);
        EXPECT_EQ(widget->property(row.property), row.value);
    }
}

} // namespace
} // namespace clarivex
