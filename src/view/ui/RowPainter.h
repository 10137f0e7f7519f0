// Paints one laid-out row of text: field backgrounds, glyphs cell by cell, hex boxes and the
// form-feed line. The screen and the printer use it with their own fonts.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRawFont>
#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>

class QPainter;
class QPaintDevice;

namespace quill {

struct RowLayout;

class RowPainter {
public:
    /// Takes a text font and measures its cell (the width of "A", the line height) on a device,
    /// the screen when none; the hex-digit face is sized to fit the cell.
    void SetFont(const QFont& text, QPaintDevice* device = nullptr);
    void SetColours(const QColor& base, const QColor& text)
    {
        base_ = base;
        text_ = text;
    }

    const QFont& TextFont() const { return textFont_; }
    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return cellHeight_; }
    int HexDigitHeight() const { return hexDigitHeight_; }

    /// Paints cells [first, last) of a row whose column 0 lies at x0, its top at y. The form-feed
    /// line, when asked for, runs from x 0 to lineEnd.
    void Paint(QPainter& painter, const RowLayout& layout, int x0, int y, std::size_t first, std::size_t last,
               bool formFeedLine, int lineEnd) const;
    /// A hex box: the two digits of an undisplayable byte one above the other.
    void PaintHexBox(QPainter& painter, int x, int y, std::uint8_t byte, std::uint32_t colour) const;

private:
    void SizeHexDigits();
    /// The glyphs of the cells with a glyph of the text font, colour by colour, without shaping;
    /// false for a device that needs text (a printer's PDF keeps the characters only with it).
    bool PaintGlyphRuns(QPainter& painter, const RowLayout& layout, int x0, int y, std::size_t first,
                        std::size_t last) const;
    void PaintCharacter(QPainter& painter, const RowLayout& layout, std::size_t i, int x0, int y) const;

    QFont textFont_;
    /// The sixteen hex digits as outlines, scaled and centred in a box at x 0, top 0.
    std::array<QPainterPath, 16> hexDigits_;
    QRawFont rawFont_;  ///< the text font's glyphs, for the screen
    /// The face's glyph of a character; 0: none in the face. Looked up once per character.
    quint32 GlyphOf(char32_t character) const;
    std::array<quint32, 256> latinGlyph_{};  ///< the glyphs of U+0000 to U+00FF
    mutable std::unordered_map<char32_t, quint32> otherGlyph_;
    /// A glyph of another face, for a character the text font lacks: the face that Qt's font
    /// fallback chooses for it, looked up once. No glyph: drawn as text.
    struct FallbackGlyph {
        QRawFont font;
        quint32 glyph = 0;
    };
    const FallbackGlyph& FallbackOf(char32_t character) const;
    mutable std::unordered_map<char32_t, FallbackGlyph> fallback_;
    int ascent_ = 12;
    int cellWidth_ = 8;
    int cellHeight_ = 16;
    int hexDigitHeight_ = 0;
    QColor base_ = Qt::white;
    QColor text_ = Qt::black;
};

}  // namespace quill
