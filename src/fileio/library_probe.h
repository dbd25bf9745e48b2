// The image library crashes or hangs on many damaged files (truncated PNGs
// hang, mutated GIF, TGA, PSD, DDS ... files crash). Before the program
// hands it a file, a forked child tries the same load; only when the child
// survives does the program load the file itself.
#pragma once

enum class ProbeResult {
    Loads,     // the library read the file in the child
    Fails,     // the library refused the file cleanly: loading it is safe
    Dangerous, // the child crashed or hung: never let the library see it
};

ProbeResult probe_library_load(const char *path);

// Seconds a probe may take before the file counts as hanging the library.
void set_probe_timeout(unsigned seconds);
