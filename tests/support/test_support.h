// Helpers shared by the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/animation.h"
#include "support/scripted_platform.h"

// Path of a file under tests/data.
std::string data_path(const std::string &relative);
// A fresh, empty folder under the build tree, private to the running test.
std::string scratch_dir(const std::string &name);
std::vector<uint8_t> read_bytes(const std::string &path);
void write_bytes(const std::string &path, const std::vector<uint8_t> &bytes);

// Makes the bound image an RGBA image of w x h with the given pixels
// (4 bytes each, top row first).
void set_rgba_pixels(int w, int h, const std::vector<uint8_t> &rgba);
// Makes the bound image an 8-bit indexed image with an RGBA palette.
void set_indexed_pixels(int w, int h, const std::vector<uint8_t> &indexes, const std::vector<uint8_t> &palette_rgba);
// The bound image's pixels converted to RGBA, rows top first (the image
// itself is left unchanged).
std::vector<uint8_t> rgba_of(uint32_t image);
// The raw pixel bytes of an image as the library holds them.
std::vector<uint8_t> raw_of(uint32_t image);
int image_width(uint32_t image);
int image_height(uint32_t image);

// Installs `backend` (a ScriptedPlatform or a bridge of the editor's tests)
// as the platform layer and as the editor's dialogs; nullptr restores the
// defaults.
template <class Backend>
void set_backends(Backend *backend)
{
    set_platform(backend);
    set_editor_host(backend);
}
inline void set_backends(std::nullptr_t) { set_backends<ScriptedPlatform>(nullptr); }

// Fixture for tests that use the image library and the platform layer:
// the library is initialised once per process, every message and question
// goes to `ui`, and an unexpected question fails the test.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Texts of all messages shown so far.
    std::vector<std::string> message_texts() const;

    ScriptedPlatform ui;
    Animation anim{};
};

struct DocumentState;

// CoreTest over the process-wide document, which is empty (no groups, no
// undo steps, unmodified) when each test starts and after it ends.
class DocumentTest : public CoreTest {
protected:
    void SetUp() override;
    void TearDown() override;

    static DocumentState &doc();
};
