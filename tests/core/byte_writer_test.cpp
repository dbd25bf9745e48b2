// A writer that holds large blocks by reference gives the same bytes as one
// that copies everything, through data(), pieces() and a file.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/byte_io.h"
#include "io/safe_save.h"
#include "support/test_support.h"

namespace {

struct Step {
    char kind; // 'b' bytes, 'r' borrowed, 'z' zeros, 'p' patch at `at`
    size_t size;
    size_t at;
};

TEST(ByteWriterBorrowing, GivesTheBytesOfAPlainCopyWhereverPatchesFall)
{
    std::mt19937 random(15);
    std::vector<uint8_t> source(200000);
    for (uint8_t &b : source)
        b = static_cast<uint8_t>(random());
    // Patches land in own bytes before, between and after borrowed blocks,
    // touching a block's first byte, straddling its start, inside it and
    // straddling its end.
    const std::vector<std::vector<Step>> cases = {
        {{'b', 12, 0}, {'r', 70000, 0}, {'b', 8, 0}, {'p', 0, 4}, {'p', 0, 70012}, {'p', 0, 70016}},
        {{'b', 3, 0}, {'r', 20000, 0}, {'r', 30000, 0}, {'z', 5, 0}, {'p', 0, 50003}, {'p', 0, 50004}},
        {{'r', 40000, 0}, {'b', 2, 0}, {'p', 0, 39998}},
        {{'b', 6, 0}, {'r', 17000, 0}, {'p', 0, 4}},
        {{'b', 6, 0}, {'r', 17000, 0}, {'p', 0, 100}},
        {{'b', 6, 0}, {'r', 17000, 0}, {'b', 10, 0}, {'p', 0, 17004}},
        {{'r', 100, 0}, {'r', 16384, 0}, {'b', 4, 0}, {'p', 0, 16484}},
    };
    const std::string dir = scratch_dir("byte_writer");
    for (size_t c = 0; c < cases.size(); ++c) {
        SCOPED_TRACE("case " + std::to_string(c));
        ByteWriter writer;
        std::vector<uint8_t> plain;
        size_t from = 0;
        uint32_t value = 0x01020304u * static_cast<uint32_t>(c + 1);
        for (const Step &step : cases[c]) {
            switch (step.kind) {
            case 'b':
                writer.bytes(source.data() + from, step.size);
                plain.insert(plain.end(), source.begin() + from, source.begin() + from + step.size);
                break;
            case 'r':
                writer.borrow(source.data() + from, step.size);
                plain.insert(plain.end(), source.begin() + from, source.begin() + from + step.size);
                break;
            case 'z':
                writer.zeros(step.size);
                plain.insert(plain.end(), step.size, 0);
                break;
            case 'p':
                writer.patch_u32(step.at, ++value);
                for (int i = 0; i < 4; ++i)
                    plain[step.at + i] = static_cast<uint8_t>(value >> (8 * i));
                break;
            }
            from += step.size + 1;
        }
        ASSERT_EQ(writer.size(), plain.size());
        std::vector<uint8_t> gathered;
        writer.pieces([&gathered](const uint8_t *p, size_t n) { gathered.insert(gathered.end(), p, p + n); });
        EXPECT_EQ(gathered, plain);
        const std::string path = dir + "/out" + std::to_string(c) + ".bin";
        OutputFile file;
        ASSERT_TRUE(file.open(path.c_str()) && file.write(writer) && file.finish());
        EXPECT_EQ(read_bytes(path), plain);
        // A patch into a borrowed block changes the writer's bytes, never
        // the block it borrowed.
        const std::vector<uint8_t> before = source;
        EXPECT_EQ(writer.data(), plain);
        EXPECT_EQ(source, before);
    }
}

} // namespace
