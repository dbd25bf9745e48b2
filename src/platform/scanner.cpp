#include "platform/scanner.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <chrono>
#include <mutex>
#include <thread>
#include <sstream>

#include <dirent.h>
#include <dlfcn.h>

#include <sane/sane.h>
#include <sane/saneopts.h>

namespace {

// The entry points of libsane, found at run time.
struct SaneLibrary {
    void *handle = nullptr;
    bool initialised = false;
    SANE_Status (*init)(SANE_Int *, SANE_Auth_Callback) = nullptr;
    void (*exit)() = nullptr;
    SANE_Status (*get_devices)(const SANE_Device ***, SANE_Bool) = nullptr;
    SANE_Status (*open)(SANE_String_Const, SANE_Handle *) = nullptr;
    void (*close)(SANE_Handle) = nullptr;
    const SANE_Option_Descriptor *(*get_option_descriptor)(SANE_Handle, SANE_Int) = nullptr;
    SANE_Status (*control_option)(SANE_Handle, SANE_Int, SANE_Action, void *, SANE_Int *) = nullptr;
    SANE_Status (*get_parameters)(SANE_Handle, SANE_Parameters *) = nullptr;
    SANE_Status (*start)(SANE_Handle) = nullptr;
    SANE_Status (*read)(SANE_Handle, SANE_Byte *, SANE_Int, SANE_Int *) = nullptr;
    void (*cancel)(SANE_Handle) = nullptr;
    SANE_String_Const (*strstatus)(SANE_Status) = nullptr;
};

std::mutex sane_lock;
SaneLibrary sane;
std::string chosen;

constexpr int64_t MAX_SIDE = 32768;
constexpr uint64_t MAX_BYTES = uint64_t(1) << 30;

template <class Fn>
bool resolve(Fn &fn, const char *name)
{
    fn = reinterpret_cast<Fn>(dlsym(sane.handle, name));
    return fn != nullptr;
}

// Loads and starts libsane; call with the lock held.
bool start_library()
{
    if (sane.initialised)
        return true;
    if (!sane.handle) {
        sane.handle = dlopen("libsane.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!sane.handle)
            return false;
        const bool all = resolve(sane.init, "sane_init") && resolve(sane.exit, "sane_exit")
                         && resolve(sane.get_devices, "sane_get_devices") && resolve(sane.open, "sane_open")
                         && resolve(sane.close, "sane_close")
                         && resolve(sane.get_option_descriptor, "sane_get_option_descriptor")
                         && resolve(sane.control_option, "sane_control_option")
                         && resolve(sane.get_parameters, "sane_get_parameters") && resolve(sane.start, "sane_start")
                         && resolve(sane.read, "sane_read") && resolve(sane.cancel, "sane_cancel")
                         && resolve(sane.strstatus, "sane_strstatus");
        if (!all) {
            dlclose(sane.handle);
            sane = SaneLibrary{};
            return false;
        }
    }
    SANE_Int version = 0;
    sane.initialised = sane.init(&version, nullptr) == SANE_STATUS_GOOD;
    return sane.initialised;
}

std::string status_text(SANE_Status status)
{
    const char *text = sane.strstatus ? sane.strstatus(status) : nullptr;
    return text ? text : "unknown error";
}

// True when a configuration line names a back-end.
bool names_backend(std::istream &in)
{
    std::string line;
    while (std::getline(in, line)) {
        const size_t start = line.find_first_not_of(" \t\r");
        if (start != std::string::npos && line[start] != '#')
            return true;
    }
    return false;
}

bool folder_configures_backend(const std::string &folder)
{
    std::ifstream dll(folder + "/dll.conf");
    if (dll && names_backend(dll))
        return true;
    DIR *dir = opendir((folder + "/dll.d").c_str());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream part(folder + "/dll.d/" + entry->d_name);
        if (part && names_backend(part)) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

// The folders SANE reads its configuration from: SANE_CONFIG_DIR's, and
// the system's when that is unset or ends with ':'.
std::vector<std::string> config_folders()
{
    std::vector<std::string> folders;
    const char *env = std::getenv("SANE_CONFIG_DIR");
    const std::string list = env ? env : "";
    std::stringstream parts(list);
    std::string part;
    while (std::getline(parts, part, ':'))
        if (!part.empty())
            folders.push_back(part);
    if (!env || list.empty() || list.back() == ':')
        folders.push_back("/etc/sane.d");
    return folders;
}

// Sets a string option to `wanted` when the device offers it.
void set_string_option(SANE_Handle device, SANE_Int index, const SANE_Option_Descriptor *option, const char *wanted)
{
    if (option->constraint_type != SANE_CONSTRAINT_STRING_LIST || option->size <= 0)
        return;
    for (const SANE_String_Const *s = option->constraint.string_list; s && *s; ++s) {
        if (std::strcmp(*s, wanted) != 0)
            continue;
        std::vector<char> value(static_cast<size_t>(option->size), '\0');
        std::strncpy(value.data(), wanted, value.size() - 1);
        sane.control_option(device, index, SANE_ACTION_SET_VALUE, value.data(), nullptr);
        return;
    }
}

void set_int_option(SANE_Handle device, SANE_Int index, const SANE_Option_Descriptor *option, SANE_Int wanted)
{
    if (option->type != SANE_TYPE_INT || option->size != sizeof(SANE_Word))
        return;
    if (option->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
        const SANE_Word *list = option->constraint.word_list;
        bool offered = false;
        for (SANE_Word i = 1; list && i <= list[0]; ++i)
            offered = offered || list[i] == wanted;
        if (!offered)
            return;
    }
    SANE_Word value = wanted;
    sane.control_option(device, index, SANE_ACTION_SET_VALUE, &value, nullptr);
}

// Options keep their values from one use of a device to the next, so the
// ones that decide the image's layout are set on every acquisition.
void choose_options(SANE_Handle device)
{
    SANE_Int count = 0;
    const SANE_Option_Descriptor *first = sane.get_option_descriptor(device, 0);
    if (!first || sane.control_option(device, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
        return;
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor *option = sane.get_option_descriptor(device, i);
        if (!option || !option->name || !SANE_OPTION_IS_ACTIVE(option->cap) || !SANE_OPTION_IS_SETTABLE(option->cap))
            continue;
        if (std::strcmp(option->name, SANE_NAME_SCAN_MODE) == 0)
            set_string_option(device, i, option, SANE_VALUE_SCAN_MODE_COLOR);
    }
    // The depth offered depends on the mode: look again after setting it.
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor *option = sane.get_option_descriptor(device, i);
        if (option && option->name && SANE_OPTION_IS_ACTIVE(option->cap) && SANE_OPTION_IS_SETTABLE(option->cap)
            && std::strcmp(option->name, SANE_NAME_BIT_DEPTH) == 0)
            set_int_option(device, i, option, 8);
    }
}

// One sample of a row, scaled to a byte.
uint8_t sample(const uint8_t *row, int64_t index, int depth)
{
    switch (depth) {
    case 1:
        // Line art: a set bit is black.
        return (row[index / 8] >> (7 - index % 8)) & 1 ? 0 : 255;
    case 16: {
        uint16_t value;
        std::memcpy(&value, row + index * 2, sizeof value);
        return static_cast<uint8_t>(value >> 8);
    }
    default:
        return row[index];
    }
}

// Copies the rows of one frame of the scan into `image`.
bool store_frame(const SANE_Parameters &p, const std::vector<uint8_t> &data, ScannedImage &image, std::string &error)
{
    const int depth = p.depth;
    const bool interleaved = p.format == SANE_FRAME_RGB;
    const int per_pixel = interleaved ? 3 : 1;
    if ((depth != 1 && depth != 8 && depth != 16) || (depth == 1 && interleaved)) {
        error = "the scanner sends samples of " + std::to_string(depth) + " bits, which cannot be read";
        return false;
    }
    if (p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB && p.format != SANE_FRAME_RED
        && p.format != SANE_FRAME_GREEN && p.format != SANE_FRAME_BLUE) {
        error = "the scanner sends an image format that cannot be read";
        return false;
    }
    const int64_t width = p.pixels_per_line;
    const int64_t stride = p.bytes_per_line;
    const int64_t needed = (width * per_pixel * depth + 7) / 8;
    if (width < 1 || width > MAX_SIDE || stride < needed) {
        error = "the scanner reported an image of " + std::to_string(width) + " pixels a row, which cannot be read";
        return false;
    }
    const int64_t rows = static_cast<int64_t>(data.size()) / stride;
    if (rows < 1 || rows > MAX_SIDE) {
        error = rows < 1 ? "the scanner sent no image" : "the scanned image is too tall";
        return false;
    }
    const int channels = p.format == SANE_FRAME_GRAY ? 1 : 3;
    if (image.pixels.empty()) {
        if (static_cast<uint64_t>(width * rows * channels) > MAX_BYTES) {
            error = "the scanned image is too large";
            return false;
        }
        image.width = static_cast<int>(width);
        image.height = static_cast<int>(rows);
        image.channels = channels;
        image.pixels.assign(static_cast<size_t>(width * rows * channels), 0);
    } else if (image.width != width || image.channels != 3 || channels != 3) {
        error = "the scanner's colour passes do not match";
        return false;
    }
    const int band = p.format == SANE_FRAME_GREEN ? 1 : p.format == SANE_FRAME_BLUE ? 2 : 0;
    const int64_t height = rows < image.height ? rows : image.height;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t *row = data.data() + y * stride;
        uint8_t *out = image.pixels.data() + y * width * channels;
        for (int64_t x = 0; x < width; ++x) {
            if (interleaved || channels == 1) {
                for (int c = 0; c < per_pixel; ++c)
                    out[x * channels + c] = sample(row, x * per_pixel + c, depth);
            } else {
                out[x * 3 + band] = sample(row, x, depth);
            }
        }
    }
    return true;
}

// Reads one frame of a started scan to its end.
SANE_Status read_frame(SANE_Handle device, const SANE_Parameters &p, std::vector<uint8_t> &data,
                       const std::function<void(int)> &progress, const std::atomic<bool> &cancel)
{
    const uint64_t expected =
        p.lines > 0 && p.bytes_per_line > 0 ? static_cast<uint64_t>(p.lines) * static_cast<uint64_t>(p.bytes_per_line) : 0;
    std::vector<SANE_Byte> chunk(65536);
    bool settled = false;
    for (;;) {
        if (cancel.load())
            return SANE_STATUS_CANCELLED;
        // Some back-ends end their reader thread by cancelling it when the
        // last read comes; one still freeing its buffers then deadlocks in
        // the allocator. Once every byte has come, give it a moment to end.
        if (expected && data.size() >= expected && !settled) {
            settled = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        SANE_Int length = 0;
        const SANE_Status status = sane.read(device, chunk.data(), static_cast<SANE_Int>(chunk.size()), &length);
        if (status == SANE_STATUS_EOF)
            return SANE_STATUS_GOOD;
        if (status != SANE_STATUS_GOOD)
            return status;
        if (length < 0 || static_cast<size_t>(length) > chunk.size())
            return SANE_STATUS_IO_ERROR;
        if (data.size() + static_cast<size_t>(length) > MAX_BYTES)
            return SANE_STATUS_NO_MEM;
        data.insert(data.end(), chunk.begin(), chunk.begin() + length);
        if (progress)
            progress(expected ? static_cast<int>(data.size() * 100 / expected > 100 ? 100 : data.size() * 100 / expected)
                              : -1);
    }
}

} // namespace

bool scanner_library_available()
{
    std::lock_guard<std::mutex> guard(sane_lock);
    if (!start_library())
        return false;
    for (const std::string &folder : config_folders())
        if (folder_configures_backend(folder))
            return true;
    return false;
}

bool scanner_list_devices(std::vector<ScannerDevice> &devices, std::string &error)
{
    std::lock_guard<std::mutex> guard(sane_lock);
    devices.clear();
    if (!start_library()) {
        error = "the scanner library (SANE) cannot be used";
        return false;
    }
    const SANE_Device **list = nullptr;
    const SANE_Status status = sane.get_devices(&list, SANE_FALSE);
    if (status != SANE_STATUS_GOOD) {
        error = status_text(status);
        return false;
    }
    for (const SANE_Device **d = list; d && *d; ++d) {
        const SANE_Device *device = *d;
        const std::string name = device->name ? device->name : "";
        std::string label = device->vendor ? device->vendor : "";
        if (device->model && *device->model) {
            if (!label.empty())
                label += ' ';
            label += device->model;
        }
        label.append(" (").append(name).append(")");
        devices.push_back({name, label});
    }
    return true;
}

bool scanner_acquire(const std::string &device_name, ScannedImage &image, std::string &error,
                     const std::function<void(int)> &progress, const std::atomic<bool> &cancel)
{
    std::lock_guard<std::mutex> guard(sane_lock);
    image = ScannedImage{};
    error.clear();
    if (!start_library()) {
        error = "the scanner library (SANE) cannot be used";
        return false;
    }
    std::string name = device_name;
    if (name.empty()) {
        const SANE_Device **list = nullptr;
        if (sane.get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list || !list[0] || !list[0]->name) {
            error = "no scanner was found";
            return false;
        }
        name = list[0]->name;
    }
    SANE_Handle device = nullptr;
    SANE_Status status = sane.open(name.c_str(), &device);
    if (status != SANE_STATUS_GOOD) {
        error = "the scanner " + name + " cannot be opened: " + status_text(status);
        return false;
    }
    choose_options(device);

    bool ok = true;
    for (int pass = 0; ok && pass < 3; ++pass) {
        status = sane.start(device);
        SANE_Parameters p{};
        if (status == SANE_STATUS_GOOD)
            status = sane.get_parameters(device, &p);
        std::vector<uint8_t> data;
        if (status == SANE_STATUS_GOOD)
            status = read_frame(device, p, data, progress, cancel);
        if (status != SANE_STATUS_GOOD) {
            if (status != SANE_STATUS_CANCELLED)
                error = "the scanner " + name + " failed: " + status_text(status);
            ok = false;
            break;
        }
        ok = store_frame(p, data, image, error);
        if (p.last_frame)
            break;
    }
    sane.cancel(device);
    sane.close(device);
    if (!ok)
        image = ScannedImage{};
    return ok;
}

const std::string &scanner_chosen_device() { return chosen; }

void scanner_choose_device(const std::string &name)
{
    std::lock_guard<std::mutex> guard(sane_lock);
    chosen = name;
}

void scanner_restart()
{
    std::lock_guard<std::mutex> guard(sane_lock);
    if (sane.initialised)
        sane.exit();
    // The library keeps state past sane_exit (a second start lists no
    // devices): the next start loads it afresh.
    if (sane.handle)
        dlclose(sane.handle);
    sane = SaneLibrary{};
}
