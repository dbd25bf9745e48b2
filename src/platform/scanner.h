// Scanners, through SANE. libsane is loaded at run time, so the program
// runs (without scanning) where it is not installed. No toolkit here: the
// back-ends of the platform layer run these calls on a worker and show the
// progress and the Cancel button.
//
// SANE is not thread-safe: at most one of these calls runs at a time (each
// takes a lock of its own).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ScannerDevice {
    std::string name; // what sane_open takes
    std::string label; // "vendor model (name)", for the user
};

// An acquired image: rows top first, 1 (grey) or 3 (RGB) bytes per pixel.
struct ScannedImage {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;
};

// True when libsane loads, sane_init succeeds and at least one back-end is
// configured. Devices are not listed: that probes the network and can take
// seconds.
bool scanner_library_available();

// The devices SANE finds (it may take seconds). False, with `error` set,
// when the library fails; an empty list is no failure.
bool scanner_list_devices(std::vector<ScannerDevice> &devices, std::string &error);

// Scans one image from `device` (the first device found when empty).
// `progress` gets 0..100 as rows arrive (-1 when the height is unknown);
// `cancel` is checked between reads. False with `error` set on failure;
// a cancelled scan returns false with `error` empty.
bool scanner_acquire(const std::string &device, ScannedImage &image, std::string &error,
                     const std::function<void(int)> &progress, const std::atomic<bool> &cancel);

// The device chosen with Select Source for this run (empty: the first).
const std::string &scanner_chosen_device();
void scanner_choose_device(const std::string &name);

// The library stays loaded for the rest of the process once started: its
// back-ends keep memory they never give back, and a second start after
// sane_exit finds no devices. scanner_restart makes the next call start it
// afresh, reading its configuration again (for tests that change it; the
// memory the back-ends kept is lost).
void scanner_restart();
