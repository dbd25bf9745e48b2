// Damaged files must never take the program down: the image library crashes
// or hangs on many of them, so it only ever decodes them in a child process.
#include <string>
#include <vector>

#include "formats/format_table.h"
#include "formats/generic_formats.h"
#include "decode/child_decode.h"
#include "image/host_table.h"
#include "support/test_support.h"

namespace {

class DamagedImagesTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        dir = scratch_dir("damaged");
    }

    // Variants of a file: cut at several lengths and with header bytes
    // overwritten by extreme values.
    std::vector<std::vector<uint8_t>> mutants(const std::vector<uint8_t> &good)
    {
        std::vector<std::vector<uint8_t>> out;
        for (size_t cut : {size_t(1), size_t(6), size_t(13), size_t(20), size_t(40), good.size() / 3,
                           good.size() / 2, good.size() - 1})
            if (cut < good.size())
                out.emplace_back(good.begin(), good.begin() + static_cast<long>(cut));
        for (size_t at = 4; at < 48 && at < good.size(); at += 3) {
            for (uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(0x7F)}) {
                std::vector<uint8_t> changed = good;
                changed[at] = value;
                if (at + 1 < changed.size())
                    changed[at + 1] = value;
                out.push_back(changed);
            }
        }
        return out;
    }

    // Each variant is either refused, with one message that names it and
    // an empty document, or read whole: every frame has a size and all of
    // its pixels.
    void load_all(const std::string &name, const std::vector<uint8_t> &good, const char *extension)
    {
        int index = 0;
        for (const std::vector<uint8_t> &bytes : mutants(good)) {
            const std::string path = dir + "/" + name + std::to_string(index++) + extension;
            SCOPED_TRACE(path);
            write_bytes(path, bytes);
            ui.clear();
            Animation loaded;
            anim_init(&loaded);
            file_load(path.c_str(), &loaded);
            if (loaded.group_count == 0)
                expect_one_message_naming(path);
            for (int g = 0; g < loaded.group_count; ++g)
                for (int f = 0; f < loaded.groups[g].frame_count; ++f) {
                    const uint32_t image = loaded.groups[g].frames[f].image;
                    ASSERT_GT(image_width(image), 0);
                    ASSERT_GT(image_height(image), 0);
                    EXPECT_EQ(rgba_of(image).size(), size_t(4) * image_width(image) * image_height(image));
                }
            anim_destroy(&loaded);
            // The palette reader is silent: its callers say what failed.
            ui.clear();
            uint8_t palette[1024];
            const int32_t colours = image_palette_load(path.c_str(), palette);
            EXPECT_GE(colours, 0);
            EXPECT_LE(colours, 256);
            EXPECT_TRUE(message_texts().empty());
        }
        ui.clear();
    }

    void expect_one_message_naming(const std::string &path)
    {
        const std::vector<std::string> texts = message_texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].find(path), std::string::npos) << texts[0];
    }

    std::string dir;
};

TEST_F(DamagedImagesTest, DamagedGifs)
{
    load_all("gif", read_bytes(data_path("images/giflib_fire.gif")), ".gif");
}

TEST_F(DamagedImagesTest, DamagedPngsAndBitmaps)
{
    load_all("png", read_bytes(data_path("images/pngsuite_basn3p08.png")), ".png");
    load_all("bmp", read_bytes(data_path("images/hexen2_expload.bmp")), ".bmp");
    load_all("pcx", read_bytes(data_path("images/fsfps_two_conchars.pcx")), ".pcx");
}

TEST_F(DamagedImagesTest, DamagedTargas)
{
    // A Targa written by the library itself, then damaged.
    Group *group = anim_add_group(&anim, NO_GROUP_NAME);
    group_reset_frames(group, 1);
    host().bind_image(group->frames[0].image);
    set_rgba_pixels(16, 8, std::vector<uint8_t>(16 * 8 * 4, 99));
    const std::string good = dir + "/good.tga";
    ASSERT_EQ(generic_image_save(good.c_str(), &anim), 1);
    load_all("tga", read_bytes(good), ".tga");
}

TEST_F(DamagedImagesTest, ChildDecodeTellsCleanFailuresFromLoads)
{
    const DecodeResult good = decode_in_child(data_path("images/pngsuite_basn3p08.png").c_str());
    ASSERT_EQ(good.outcome, DecodeOutcome::Decoded);
    ASSERT_EQ(good.frames.size(), 1u);
    EXPECT_EQ(good.frames[0].head.width, 32u);
    EXPECT_EQ(good.frames[0].pixels.size(), good.frames[0].head.data_bytes);
    const DecodeResult missing = decode_in_child((dir + "/missing.png").c_str());
    EXPECT_EQ(missing.outcome, DecodeOutcome::LibraryError);
    EXPECT_EQ(decode_failure_text("x", missing).rfind("Error Encountered: ", 0), 0u);
}

// Files with nothing to decode: some of the library's loaders make a
// one-pixel image of an empty file, read "-5" as 5, or leave the pixels of a
// header without data as the heap had them.
TEST_F(DamagedImagesTest, EmptyFilesImpossibleHeadersAndMissingPixelsAreRefusedAlike)
{
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
        const char *cause;
    };
    std::vector<Case> cases;
    for (const char *ext : {".bmp", ".cut", ".cur", ".dds", ".dib", ".ico", ".icb", ".gif", ".jpg", ".jpe", ".jpeg",
                            ".jng", ".lbm", ".lif", ".mng", ".pcd", ".pcx", ".pic", ".png", ".pnm", ".pbm", ".pgm",
                            ".ppm", ".psd", ".psp", ".raw", ".sgi", ".tga", ".tif", ".vda", ".vst", ".wal"})
        cases.push_back({std::string("empty") + ext, {}, "empty"});
    const std::string negative = "P6\n-5 -5\n255\n" + std::string(75, '\x40');
    cases.push_back({"negative.ppm", std::vector<uint8_t>(negative.begin(), negative.end()), "-5x-5"});
    // A PCX header of a 16x16 8-bit image and not one byte of its pixels.
    std::vector<uint8_t> header(128, 0);
    header[0] = 10;
    header[1] = 5;
    header[2] = 1;
    header[3] = 8;
    header[8] = 15;
    header[10] = 15;
    header[65] = 1;
    header[66] = 16;
    cases.push_back({"header_only.pcx", header, "pixel data"});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        write_bytes(path, c.bytes);
        // The same answer every time.
        for (int run = 0; run < (c.name == "header_only.pcx" ? 5 : 1); ++run) {
            ui.clear();
            Animation loaded;
            anim_init(&loaded);
            EXPECT_EQ(file_load_result(path.c_str(), &loaded).status, LoadStatus::Refused);
            EXPECT_EQ(loaded.group_count, 0);
            anim_destroy(&loaded);
            ASSERT_EQ(ui.messages().size(), 1u);
            EXPECT_NE(ui.messages()[0].text.find(path), std::string::npos) << ui.messages()[0].text;
            EXPECT_NE(ui.messages()[0].text.find(c.cause), std::string::npos) << ui.messages()[0].text;
        }
    }
}

} // namespace
