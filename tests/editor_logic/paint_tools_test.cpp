// The paint tools on frames written out as rows of digits (one palette
// index a character): each operation against the frame it must leave, the
// rectangle it reports against the pixels it changed, the eraser, the
// selection, index safety on a Quake-palette image and taking a stroke back.
#include <gtest/gtest.h>

#include <IL/il.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "image/host_table.h"
#include "image/quake_palette.h"
#include "support/test_support.h"
#include "views/logic/paint_tools.h"

namespace {

using Rows = std::vector<std::string>;

// An 8-bit frame held as rows of digits.
struct Digits {
    explicit Digits(const Rows &rows, int transparent = -1)
    {
        for (const std::string &row : rows)
            for (char c : row)
                bytes.push_back(static_cast<uint8_t>(c - '0'));
        buf = {bytes.data(), static_cast<ptrdiff_t>(rows[0].size()), static_cast<int>(rows[0].size()),
               static_cast<int>(rows.size()), 1, transparent};
    }
    Rows rows() const
    {
        Rows out(static_cast<size_t>(buf.height));
        for (size_t p = 0; p < bytes.size(); ++p)
            out[p / static_cast<size_t>(buf.width)] += static_cast<char>('0' + bytes[p]);
        return out;
    }
    std::vector<uint8_t> bytes;
    PaintBuffer buf;
};

// The smallest rectangle holding every pixel that differs.
PaintRect difference(const Rows &a, const Rows &b)
{
    PaintRect r;
    for (size_t y = 0; y < a.size(); ++y)
        for (size_t x = 0; x < a[y].size(); ++x)
            if (a[y][x] != b[y][x])
                r = paint_union(r, {static_cast<int>(x), static_cast<int>(y), 1, 1});
    return r;
}

const Rows BLANK = {"00000000", "00000000", "00000000", "00000000", "00000000", "00000000"};
const Brush ONE{1, BrushShape::Square};

struct Case {
    const char *name;
    Rows before;
    std::function<PaintRect(PaintBuffer &)> paint;
    Rows expected;
};

TEST(PaintTools, EachToolLeavesItsFrameAndReportsWhatChanged)
{
    const Rows holes = {"00100", "01010", "00100", "11000", "00010"};
    const Case cases[] = {
        {"pencil dab", BLANK, [](PaintBuffer &b) { return paint_dab(b, 2, 1, ONE, 5); },
         {"00000000", "00500000", "00000000", "00000000", "00000000", "00000000"}},
        {"shallow line, both ends", BLANK, [](PaintBuffer &b) { return paint_line(b, 0, 0, 5, 2, ONE, 3); },
         {"33000000", "00330000", "00003300", "00000000", "00000000", "00000000"}},
        {"steep line backwards", BLANK, [](PaintBuffer &b) { return paint_line(b, 3, 5, 1, 0, ONE, 4); },
         {"04000000", "04000000", "00400000", "00400000", "00040000", "00040000"}},
        {"line from far off the frame", BLANK,
         [](PaintBuffer &b) { return paint_line(b, -2000000000, 2, 2000000000, 2, ONE, 1); },
         {"00000000", "00000000", "11111111", "00000000", "00000000", "00000000"}},
        {"rectangle outline", BLANK, [](PaintBuffer &b) { return paint_rectangle(b, 6, 4, 1, 1, ONE, 2, false); },
         {"00000000", "02222220", "02000020", "02000020", "02222220", "00000000"}},
        {"rectangle filled past the edge", BLANK,
         [](PaintBuffer &b) { return paint_rectangle(b, 5, 3, 9, 9, ONE, 6, true); },
         {"00000000", "00000000", "00000000", "00000666", "00000666", "00000666"}},
        {"square 3 at a corner", BLANK, [](PaintBuffer &b) { return paint_dab(b, 0, 0, {3, BrushShape::Square}, 7); },
         {"77000000", "77000000", "00000000", "00000000", "00000000", "00000000"}},
        {"round 3", BLANK, [](PaintBuffer &b) { return paint_dab(b, 2, 2, {3, BrushShape::Round}, 8); },
         {"00000000", "00800000", "08880000", "00800000", "00000000", "00000000"}},
        {"round 4 at the bottom right", BLANK,
         [](PaintBuffer &b) { return paint_dab(b, 7, 5, {4, BrushShape::Round}, 9); },
         {"00000000", "00000000", "00000000", "00000099", "00000999", "00000999"}},
        {"round 6", BLANK, [](PaintBuffer &b) { return paint_dab(b, 3, 3, {6, BrushShape::Round}, 1); },
         {"01111000", "11111100", "11111100", "11111100", "11111100", "01111000"}},
        {"square 16 covers all", BLANK, [](PaintBuffer &b) { return paint_dab(b, 3, 2, {16, BrushShape::Square}, 1); },
         {"11111111", "11111111", "11111111", "11111111", "11111111", "11111111"}},
        {"round 2 segment", BLANK,
         [](PaintBuffer &b) { return paint_line(b, 1, 1, 4, 1, {2, BrushShape::Round}, 5); },
         {"55555000", "55555000", "00000000", "00000000", "00000000", "00000000"}},
        {"contiguous fill, 4-connected", holes,
         [](PaintBuffer &b) { return paint_fill(b, 0, 0, 7, FillMode::Contiguous); },
         {"77100", "71010", "77100", "11000", "00010"}},
        {"contiguous fill of a lone hole", holes,
         [](PaintBuffer &b) { return paint_fill(b, 2, 1, 7, FillMode::Contiguous); },
         {"00100", "01710", "00100", "11000", "00010"}},
        {"global fill", holes, [](PaintBuffer &b) { return paint_fill(b, 0, 0, 7, FillMode::Global); },
         {"77177", "71717", "77177", "11777", "77717"}},
        {"fill with the value it has", holes,
         [](PaintBuffer &b) { return paint_fill(b, 2, 0, 1, FillMode::Contiguous); }, holes},
        {"no colour on an 8-bit frame", BLANK, [](PaintBuffer &b) { return paint_dab(b, 1, 1, ONE, 256); }, BLANK},
    };
    for (const Case &c : cases) {
        Digits frame(c.before);
        const PaintRect changed = c.paint(frame.buf);
        EXPECT_EQ(c.expected, frame.rows()) << c.name;
        EXPECT_EQ(difference(c.before, c.expected), changed) << c.name;
    }
}

TEST(PaintTools, EraserPaintsTheTransparentIndexOrAlphaZeroOrNothing)
{
    Digits keyed({"1111", "1111"}, 9);
    EXPECT_FALSE(paint_erase_line(keyed.buf, 1, 0, 2, 0, {1, BrushShape::Square}).refused);
    EXPECT_EQ((Rows{"1991", "1111"}), keyed.rows());

    Digits opaque({"1111", "1111"});
    const EraseResult refused = paint_erase_line(opaque.buf, 1, 0, 2, 0, {1, BrushShape::Square});
    EXPECT_TRUE(refused.refused);
    EXPECT_TRUE(refused.changed.empty());
    EXPECT_EQ((Rows{"1111", "1111"}), opaque.rows());

    std::vector<uint8_t> rgba = {10, 20, 30, 255, 40, 50, 60, 255};
    PaintBuffer colour{rgba.data(), 8, 2, 1, 4, -1};
    uint32_t picked = 0;
    ASSERT_TRUE(paint_pick(colour, 1, 0, &picked));
    EXPECT_EQ(paint_colour(40, 50, 60, 255), picked);
    EXPECT_EQ((PaintRect{1, 0, 1, 1}), paint_erase_line(colour, 1, 0, 1, 0, ONE).changed);
    EXPECT_EQ((std::vector<uint8_t>{10, 20, 30, 255, 0, 0, 0, 0}), rgba);
    EXPECT_FALSE(paint_pick(colour, 2, 0, &picked));
}

TEST(PaintTools, MovedAndPastedSelectionsLeaveTheirTransparentPixelsOut)
{
    Digits frame({"123999", "495999", "999888", "999888"}, 9);
    PaintClip moved;
    EXPECT_EQ((PaintRect{0, 0, 6, 4}), paint_move(frame.buf, {0, 0, 3, 2}, 3, 2, 9, &moved));
    EXPECT_EQ((Rows{"999999", "999999", "999123", "999485"}), frame.rows());

    // Pasted again half off the top right corner, the clip is cut there.
    EXPECT_EQ((PaintRect{4, 0, 2, 1}), paint_paste(frame.buf, moved, 4, -1));
    EXPECT_EQ((Rows{"999949", "999999", "999123", "999485"}), frame.rows());

    PaintClip cut;
    EXPECT_EQ((PaintRect{4, 2, 2, 2}), paint_cut(frame.buf, {4, 2, 5, 5}, 0, &cut));
    EXPECT_EQ((Rows{"999949", "999999", "999100", "999400"}), frame.rows());
    EXPECT_EQ((std::vector<uint8_t>{2, 3, 8, 5}), cut.pixels);
    EXPECT_EQ((PaintRect{0, 0, 2, 1}), paint_clear(frame.buf, {-5, 0, 7, 1}, 0));
    EXPECT_EQ((Rows{"009949", "999999", "999100", "999400"}), frame.rows());
}

TEST(PaintTools, CancelledStrokeRestoresExactlyWhatItChanged)
{
    // Wide enough that the record has to grow past the room it keeps.
    Rows before(6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 60; ++x)
            before[static_cast<size_t>(y)] += static_cast<char>('0' + (x + y) % 8);
    Digits frame(before, 0);
    StrokeRecord record;
    paint_dab(frame.buf, 1, 1, {2, BrushShape::Round}, 9, &record);
    EXPECT_EQ((PaintRect{0, 0, 2, 2}), record.rect());
    paint_line(frame.buf, 1, 1, 6, 4, {3, BrushShape::Square}, 8, &record);
    paint_dab(frame.buf, 40, 2, {4, BrushShape::Round}, 9, &record);
    paint_move(frame.buf, {5, 0, 3, 2}, -5, 3, 0, nullptr, &record);
    paint_fill(frame.buf, 0, 5, 9, FillMode::Contiguous, &record);
    ASSERT_NE(before, frame.rows());
    EXPECT_EQ((PaintRect{0, 0, 42, 6}), record.rect());
    record.finish();
    EXPECT_EQ(record.rect(), paint_union(difference(before, frame.rows()), record.rect()));
    EXPECT_EQ(static_cast<size_t>(record.rect().w * record.rect().h), record.bytes());
    record.restore(frame.buf);
    EXPECT_EQ(before, frame.rows());
}

class PaintImage : public CoreTest {};

// Index 250 painted on a Quake-palette image held bottom row first: exactly
// the painted pixels change, the palette not at all, and the eraser knows
// index 255 with or without alpha in the palette.
TEST_F(PaintImage, QuakePaletteFrameTakesTheIndexAndNothingElse)
{
    for (const bool keyed : {true, false}) {
        std::vector<uint8_t> palette(default_palette, default_palette + 1024);
        palette[255 * 4 + 3] = keyed ? 0 : 255;
        std::vector<uint8_t> indexes(16 * 8);
        for (size_t p = 0; p < indexes.size(); ++p)
            indexes[p] = static_cast<uint8_t>(p * 7);
        const uint32_t image = host().gen_image();
        host().bind_image(image);
        set_indexed_pixels(16, 8, indexes, palette);
        ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
        const std::vector<uint8_t> palette_before(host().get_palette(), host().get_palette() + 1024);

        PaintBuffer buf;
        ASSERT_TRUE(paint_buffer_of_image(image, &buf));
        EXPECT_EQ(255, buf.transparent);
        EXPECT_EQ((PaintRect{2, 1, 12, 1}), paint_line(buf, 2, 1, 13, 1, ONE, 250));

        const std::vector<uint8_t> after = raw_of(image);
        for (size_t p = 0; p < indexes.size(); ++p) {
            // Row 1 as shown is the second row from the end in memory.
            const bool painted = p / 16 == 6 && p % 16 >= 2 && p % 16 <= 13;
            EXPECT_EQ(painted ? 250 : indexes[p], after[p]) << p;
        }
        host().bind_image(image);
        EXPECT_EQ(palette_before, std::vector<uint8_t>(host().get_palette(), host().get_palette() + 1024));
        host().delete_image(image);
    }
}

} // namespace
