// Scanning through SANE's `test` back-end, configured in a folder of the
// test's own.
#include <atomic>
#include <cstdio>
#include <functional>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/scanner.h"
#include "support/test_support.h"

namespace {

// A SANE configuration folder with the test back-end and `extra` lines for
// it; `backend` false leaves the folder without any back-end.
std::string sane_config(const std::string &name, bool backend, const std::string &extra = "")
{
    const std::string dir = scratch_dir(name);
    if (backend) {
        std::ofstream(dir + "/dll.conf") << "test\n";
        std::ofstream(dir + "/test.conf") << "number_of_devices 2\nresolution 50\ntest-picture \"Color pattern\"\n"
                                          << extra;
    }
    return dir;
}

// Each case runs in a child process of its own, where the scanner library
// starts afresh with the configuration the case sets (it reads it once per
// process); what fails in the child fails the case through its exit status.
class ScannerTest : public ::testing::Test {
protected:
    void in_child(const std::function<void()> &body)
    {
        std::fflush(nullptr);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            body();
            std::fflush(nullptr);
            _exit(::testing::Test::HasFailure() ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the case failed in its child process";
    }
    static void use_config(const std::string &dir)
    {
        scanner_restart();
        setenv("SANE_CONFIG_DIR", dir.c_str(), 1);
    }
    std::atomic<bool> cancel{false};
};

TEST_F(ScannerTest, AvailableOnlyWithABackendConfigured)
{
    const std::string empty = sane_config("sane-empty", false);
    const std::string test = sane_config("sane-test", true);
    in_child([&] {
        use_config(empty);
        EXPECT_FALSE(scanner_library_available());
    });
    in_child([&] {
        use_config(test);
        EXPECT_TRUE(scanner_library_available());
    });
}

TEST_F(ScannerTest, SelectSourceListsTheTestDevices)
{
    const std::string config = sane_config("sane-test", true);
    in_child([&] {
        use_config(config);
        std::vector<ScannerDevice> devices;
        std::string error;
        ASSERT_TRUE(scanner_list_devices(devices, error)) << error;
        ASSERT_EQ(devices.size(), 2u);
        EXPECT_EQ(devices[0].name, "test:0");
        EXPECT_EQ(devices[1].name, "test:1");
        EXPECT_NE(devices[0].label.find("(test:0)"), std::string::npos) << devices[0].label;
    });
}

TEST_F(ScannerTest, AcquireGivesAColourImageOfTheScanArea)
{
    const std::string config = sane_config("sane-test", true);
    in_child([&] {
        use_config(config);
        ScannedImage image;
        std::string error;
        std::vector<int> reported;
        ASSERT_TRUE(scanner_acquire("test:1", image, error, [&](int p) { reported.push_back(p); }, cancel)) << error;
        // The back-end's default area, 80 x 100 mm, at 50 dots per inch.
        EXPECT_NEAR(image.width, 80 / 25.4 * 50, 1.0);
        EXPECT_NEAR(image.height, 100 / 25.4 * 50, 1.0);
        EXPECT_EQ(image.channels, 3);
        EXPECT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height * 3);
        ASSERT_FALSE(reported.empty());
        EXPECT_EQ(reported.back(), 100);
        // A colour pattern, not a blank page.
        bool coloured = false;
        for (size_t i = 0; i + 2 < image.pixels.size() && !coloured; i += 3)
            coloured = image.pixels[i] != image.pixels[i + 1] || image.pixels[i + 1] != image.pixels[i + 2];
        EXPECT_TRUE(coloured);
    });
}

TEST_F(ScannerTest, CancelAndDeviceFailureGiveNoImage)
{
    const std::string good = sane_config("sane-test", true);
    const std::string failing = sane_config("sane-failing", true, "read-status-code \"SANE_STATUS_IO_ERROR\"\n");
    in_child([&] {
        use_config(good);
        ScannedImage image;
        std::string error;
        EXPECT_FALSE(scanner_acquire("", image, error, [&](int) { cancel = true; }, cancel));
        EXPECT_TRUE(error.empty()) << error;
        EXPECT_TRUE(image.pixels.empty());
        EXPECT_FALSE(scanner_acquire("test:9", image, error, nullptr, cancel));
        EXPECT_NE(error.find("cannot be opened"), std::string::npos) << error;
    });
    in_child([&] {
        use_config(failing);
        ScannedImage image;
        std::string error;
        EXPECT_FALSE(scanner_acquire("test:0", image, error, nullptr, cancel));
        EXPECT_NE(error.find("test:0"), std::string::npos) << error;
        EXPECT_TRUE(image.pixels.empty());
    });
}

} // namespace
