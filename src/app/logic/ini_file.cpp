#include "app/logic/ini_file.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "io/safe_save.h"

namespace {

std::string trim(const std::string &s)
{
    size_t begin = 0, end = s.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(s[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(s[end - 1])))
        --end;
    return s.substr(begin, end - begin);
}

bool same_name(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// "[name]" (spaces allowed around) gives true and the name.
bool section_header(const std::string &line, std::string &name)
{
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    const size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

// "key = value" gives true with both trimmed; comments and blank lines false.
bool key_line(const std::string &line, std::string &key, std::string &value)
{
    const std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[')
        return false;
    const size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    return true;
}

} // namespace

void IniFile::load(const std::string &path)
{
    lines_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return;
    std::ostringstream text;
    text << in.rdbuf();
    parse(text.str());
}

bool IniFile::save(const std::string &path) const
{
    const std::string content = text();
    // Through a new file beside the old one, so that a failed write keeps
    // the old file.
    AtomicFile file;
    if (file.create(path.c_str()))
        return file.write_all(content.data(), content.size()) && file.commit();

    // The folder takes no new file, but the file itself may be writable. It
    // is a few hundred bytes: rewrite it in place, every step checked.
    const int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    const char *p = content.data();
    size_t left = content.size();
    bool written = true;
    while (written && left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        if (written) {
            p += n;
            left -= static_cast<size_t>(n);
        }
    }
    written = written && fsync(fd) == 0;
    return close(fd) == 0 && written;
}

void IniFile::parse(const std::string &text)
{
    lines_.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines_.push_back(line);
        start = end + 1;
    }
}

std::string IniFile::text() const
{
    std::string out;
    for (const std::string &line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

int IniFile::find_section(const std::string &section) const
{
    std::string name;
    for (size_t i = 0; i < lines_.size(); ++i)
        if (section_header(lines_[i], name) && same_name(name, section))
            return static_cast<int>(i);
    return -1;
}

int IniFile::find_key(int header, const std::string &key) const
{
    std::string name, k, v;
    for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size(); ++i) {
        if (section_header(lines_[i], name))
            break;
        if (key_line(lines_[i], k, v) && same_name(k, key))
            return static_cast<int>(i);
    }
    return -1;
}

bool IniFile::get(const std::string &section, const std::string &key, std::string &value) const
{
    const int header = find_section(section);
    if (header < 0)
        return false;
    const int line = find_key(header, key);
    if (line < 0)
        return false;
    std::string k;
    return key_line(lines_[static_cast<size_t>(line)], k, value);
}

int32_t IniFile::get_int(const std::string &section, const std::string &key, int32_t fallback) const
{
    std::string value;
    if (!get(section, key, value) || value.empty())
        return fallback;
    size_t i = 0;
    if (value[i] == '+' || value[i] == '-') {
        if (value[i] == '-')
            return 0;
        ++i;
    }
    long long number = 0;
    for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])); ++i) {
        number = number * 10 + (value[i] - '0');
        if (number > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(number);
}

void IniFile::set(const std::string &section, const std::string &key, const std::string &value)
{
    const std::string line = key + "=" + value;
    int header = find_section(section);
    if (header < 0) {
        // Keep a blank line between the last section and the new one.
        if (!lines_.empty() && !trim(lines_.back()).empty())
            lines_.emplace_back();
        lines_.push_back("[" + section + "]");
        lines_.push_back(line);
        return;
    }
    const int existing = find_key(header, key);
    if (existing >= 0) {
        lines_[static_cast<size_t>(existing)] = line;
        return;
    }
    // After the section's last non-blank line.
    size_t insert = static_cast<size_t>(header) + 1;
    std::string name;
    for (size_t i = insert; i < lines_.size() && !section_header(lines_[i], name); ++i)
        if (!trim(lines_[i]).empty())
            insert = i + 1;
    lines_.insert(lines_.begin() + static_cast<long>(insert), line);
}

void IniFile::remove(const std::string &section, const std::string &key)
{
    const int header = find_section(section);
    const int line = header < 0 ? -1 : find_key(header, key);
    if (line >= 0)
        lines_.erase(lines_.begin() + line);
}

int32_t ini_read_int(const std::string &path, const std::string &section, const std::string &key, int32_t fallback)
{
    IniFile ini;
    ini.load(path);
    return ini.get_int(section, key, fallback);
}

bool ini_write_string(const std::string &path, const std::string &section, const std::string &key,
                      const std::string &value)
{
    IniFile ini;
    ini.load(path);
    ini.set(section, key, value);
    return ini.save(path);
}
