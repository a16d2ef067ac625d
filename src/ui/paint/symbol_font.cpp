#include "ui/paint/symbol_font.h"

#include <QFontDatabase>
#include <QPainter>

#include <array>

namespace clarivex::SymbolFont {

namespace {

struct Symbol {
    std::string_view name;
    char32_t materialCodePoint;
    std::u16string_view fallback;
};

// Every symbol name the window uses, with its closest Material Icons glyph.
constexpr std::array<Symbol, 16> symbols{{
    {"xmark", 0xE5CD, u"\u2715"},                            // close
    {"xmark.circle", 0xE888, u"\u2297"},                     // highlight_off
    {"plus", 0xE145, u"+"},                                  // add
    {"plus.circle.fill", 0xE147, u"\u2295"},                 // add_circle
    {"checkmark", 0xE5CA, u"\u2713"},                        // check
    {"checkmark.circle.fill", 0xE86C, u"\u2714"},            // check_circle
    {"exclamationmark.triangle.fill", 0xE002, u"\u26A0"},    // warning
    {"exclamationmark.circle.fill", 0xE000, u"!"},           // error
    {"clock", 0xE8B5, u"\u25F7"},                            // schedule
    {"film", 0xE54D, u"\u25A4"},                             // local_movies
    {"film.stack", 0xE04A, u"\u25A4"},                       // video_library
    {"photo", 0xE410, u"\u25A8"},                            // photo
    {"chevron.left.chevron.right", 0xE86F, u"\u2039\u203A"}, // code
    {"wand.and.sparkles", 0xE663, u"\u2726"},                // auto_fix_high
    {"camera.aperture", 0xE3AF, u"\u25CE"},                  // camera (an aperture)
    {"paintbrush.pointed", 0xE3AE, u"\u270E"},               // brush
}};

const char* const fontFile =
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";

QString& family() {
    static QString name;
    return name;
}

const Symbol* find(std::string_view name) {
    for (const Symbol& symbol : symbols) {
        if (symbol.name == name)
            return &symbol;
    }
    return nullptr;
}

} // namespace

std::vector<std::string_view> names() {
    std::vector<std::string_view> result;
    for (const Symbol& symbol : symbols)
        result.push_back(symbol.name);
    return result;
}

void load() {
    if (!family().isEmpty())
        return;
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(fontFile));
    if (id >= 0) {
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            family() = families.front();
    }
    // Installed system-wide under the same name even when the file moved.
    if (family().isEmpty() && QFontDatabase::hasFamily("Material Icons"))
        family() = "Material Icons";
}

bool available() {
    load();
    return !family().isEmpty();
}

char32_t codePoint(std::string_view name) {
    const Symbol* symbol = find(name);
    return symbol ? symbol->materialCodePoint : 0;
}

QString glyph(std::string_view name) {
    const Symbol* symbol = find(name);
    if (!symbol)
        return {};
    if (available())
        return QString::fromUcs4(&symbol->materialCodePoint, 1);
    return QString::fromStdU16String(std::u16string(symbol->fallback));
}

QFont font(qreal size) {
    load();
    // Material glyphs fill their em square, while the design's symbols are drawn about a text
    // cap height high: a slightly larger size gives the same visual weight.
    QFont result(family().isEmpty() ? QStringLiteral("DejaVu Sans") : family());
    result.setPixelSize(std::max(1, qRound(size * 1.15)));
    result.setHintingPreference(QFont::PreferNoHinting);
    return result;
}

void paint(QPainter& painter, const QRectF& rect, std::string_view name, qreal size,
           const QColor& color) {
    painter.save();
    painter.setFont(font(size));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, glyph(name));
    painter.restore();
}

} // namespace clarivex::SymbolFont
