// Damaged files must never take the program down: the image library crashes
// or hangs on many of them, so it only ever decodes them in a child process.
#include <string>
#include <vector>

#include "fileio/format_table.h"
#include "fileio/generic_formats.h"
#include "fileio/child_decode.h"
#include "plugins/host_table.h"
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

    void load_all(const std::string &name, const std::vector<uint8_t> &good, const char *extension)
    {
        int index = 0;
        for (const std::vector<uint8_t> &bytes : mutants(good)) {
            const std::string path = dir + "/" + name + std::to_string(index++) + extension;
            write_bytes(path, bytes);
            Animation loaded;
            anim_init(&loaded);
            EXPECT_EQ(file_load(path.c_str(), &loaded), 1);
            // Whatever was read is a consistent animation.
            for (int g = 0; g < loaded.group_count; ++g)
                for (int f = 0; f < loaded.groups[g].frame_count; ++f)
                    EXPECT_GT(image_width(loaded.groups[g].frames[f].image), 0);
            anim_destroy(&loaded);
            uint8_t palette[1024];
            image_palette_load(path.c_str(), palette);
        }
        ui.clear();
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

} // namespace
