// The settings file: an INI text of [sections] and key=value lines, read
// and written with the rules of the Windows private-profile functions that
// the settings rely on. Section and key names compare without regard to
// case; writing a key changes only its own line, so every other key,
// section and comment of the file survives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IniFile {
public:
    // Reads `path`; a missing or unreadable file gives an empty document.
    void load(const std::string &path);
    // Writes the text to `path` through a temporary file in the same folder.
    bool save(const std::string &path) const;

    void parse(const std::string &text);
    std::string text() const;

    // The value of `key` in `section`, spaces trimmed; false when missing.
    bool get(const std::string &section, const std::string &key, std::string &value) const;
    // Private-profile integer: the default when the key is missing or its
    // value empty; otherwise the leading decimal number, 0 when there is
    // none or it is negative, saturated at INT32_MAX.
    int32_t get_int(const std::string &section, const std::string &key, int32_t fallback) const;
    // Replaces the key's value in place, or adds the key at the end of its
    // section, or adds the section at the end of the file.
    void set(const std::string &section, const std::string &key, const std::string &value);
    // Drops the key's line; nothing happens when it is missing.
    void remove(const std::string &section, const std::string &key);

private:
    // Index of the section's header line, or -1.
    int find_section(const std::string &section) const;
    // Index of the key's line within the section starting at `header`, or -1.
    int find_key(int header, const std::string &key) const;

    std::vector<std::string> lines_;
};

// One-call forms with the private-profile semantics.
int32_t ini_read_int(const std::string &path, const std::string &section, const std::string &key, int32_t fallback);
bool ini_write_string(const std::string &path, const std::string &section, const std::string &key,
                      const std::string &value);
