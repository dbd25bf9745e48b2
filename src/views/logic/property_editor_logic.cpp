#include "views/logic/property_editor_logic.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "views/logic/editor_host.h"
#include "document/document_state.h"
#include "document/props.h"
#include "image/texture_format.h"
#include "platform/platform.h"

const std::vector<std::string> &property_type_names()
{
    static const std::vector<std::string> names = {"Integer", "Float", "String", "Boolean", "Quake Sprite Type",
                                                   "WAD Data Type", "Half-Life Texture Format"};
    return names;
}

const std::vector<std::string> &property_pick_list(int type)
{
    static const std::vector<std::string> none;
    static const std::vector<std::string> boolean = {"No", "Yes"};
    static const std::vector<std::string> sprite = {"VP Parallel Upright", "Facing Upright", "VP Parallel",
                                                    "Oriented", "VP Parallel Oriented"};
    static const std::vector<std::string> wad = {"Quake Lmp", "Half Life Mip", "Quake Mip Tex", "Raw", "Other",
                                                 "Half Life Font"};
    static const std::vector<std::string> texture = [] {
        std::vector<std::string> names;
        for (int k = 0; k < TEXTURE_FORMAT_COUNT; ++k)
            names.emplace_back(texture_format_name(k));
        return names;
    }();
    switch (type) {
    case PROPERTY_BOOLEAN: return boolean;
    case PROPERTY_SPRITE_TYPE: return sprite;
    case PROPERTY_WAD_TYPE: return wad;
    case PROPERTY_TEXTURE_FORMAT: return texture;
    default: return none;
    }
}

std::string property_text_taken(const std::string &text)
{
    if (text.size() <= PROPERTY_TEXT_LIMIT)
        return text;
    size_t end = PROPERTY_TEXT_LIMIT;
    // Back off to the start of a UTF-8 character.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

size_t skip_space(const std::string &text)
{
    size_t i = 0;
    while (i < text.size() && is_space(text[i]))
        ++i;
    return i;
}

} // namespace

int parse_integer_text(const std::string &text)
{
    size_t i = skip_space(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Held to the 32-bit range rather than wrapping.
    int64_t value = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    for (; i < text.size() && is_digit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            value = limit;
    }
    return static_cast<int>(negative ? -value : value);
}

float parse_float_text(const std::string &text)
{
    // The longest prefix that forms a decimal number, read independently
    // of the locale (the editor runs under the user's).
    const size_t start = skip_space(text);
    size_t i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const size_t digits_start = i;
    while (i < text.size() && is_digit(text[i]))
        ++i;
    size_t mantissa_digits = i - digits_start;
    if (i < text.size() && text[i] == '.') {
        const size_t fraction_start = ++i;
        while (i < text.size() && is_digit(text[i]))
            ++i;
        mantissa_digits += i - fraction_start;
    }
    if (mantissa_digits == 0)
        return 0.0f;
    size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const size_t exponent_start = j;
        while (j < text.size() && is_digit(text[j]))
            ++j;
        if (j > exponent_start)
            end = j;
    }
    std::string number = text.substr(start, end - start);
    if (!number.empty() && number[0] == '+')
        number.erase(0, 1); // from_chars takes no plus sign
    double value = 0.0;
    const auto [ptr, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)ptr;
    if (error == std::errc::result_out_of_range) {
        // Too large gives infinity, too small zero, as the C library does.
        const size_t e = number.find_first_of("eE");
        const bool huge = e != std::string::npos && number.find('-', e) == std::string::npos;
        const bool negative = number[0] == '-';
        value = huge ? (negative ? -HUGE_VAL : HUGE_VAL) : (negative ? -0.0 : 0.0);
    } else if (error != std::errc()) {
        return 0.0f;
    }
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        return value < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

std::string format_float_value(float value)
{
    char buffer[400];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::fixed, 6);
    if (error != std::errc())
        return {};
    return std::string(buffer, end);
}

namespace {

Property *record_at(PropertyEditor &editor, int index)
{
    if (!editor.list || index < 0 || index >= editor.list->count || !editor.list->records)
        return nullptr;
    return &editor.list->records[index];
}

void show_record(PropertyEditor &editor, const Property &record);

void store_value(PropertyEditor &editor)
{
    Property *record = record_at(editor, editor.index);
    if (!record)
        return;
    const PropertyEditorFields &f = editor.fields;
    // A value left as it was shown stays as it is: the round trip through
    // its text is not exact (six decimals, Yes for any non-zero number).
    PropertyEditor shown;
    show_record(shown, *record);
    if (shown.fields.value_text == f.value_text && shown.fields.value_item == f.value_item)
        return;
    switch (record->type) {
    case PROPERTY_INTEGER: record->value.i = parse_integer_text(f.value_text); break;
    case PROPERTY_FLOAT: record->value.f = parse_float_text(f.value_text); break;
    case PROPERTY_STRING: {
        const std::string text = property_text_taken(f.value_text);
        char *copy = static_cast<char *>(std::malloc(text.size() + 1));
        if (!copy)
            break;
        std::memcpy(copy, text.c_str(), text.size() + 1);
        std::free(record->value.s);
        record->value.s = copy;
        break;
    }
    case PROPERTY_BOOLEAN:
    case PROPERTY_SPRITE_TYPE:
    case PROPERTY_WAD_TYPE:
    case PROPERTY_TEXTURE_FORMAT: record->value.i = f.value_item; break;
    default: break; // a type this editor does not know is left as it is
    }
}

void show_record(PropertyEditor &editor, const Property &record)
{
    PropertyEditorFields &f = editor.fields;
    if (record.type >= 0 && record.type < static_cast<int>(property_type_names().size()))
        f.type_index = record.type;
    f.name_text = record.name;
    f.value_items = property_pick_list(record.type);
    f.value_item = -1;
    switch (record.type) {
    case PROPERTY_INTEGER: f.value_text = std::to_string(record.value.i); break;
    case PROPERTY_FLOAT: f.value_text = format_float_value(record.value.f); break;
    case PROPERTY_STRING: f.value_text = record.value.s ? record.value.s : ""; break;
    case PROPERTY_BOOLEAN:
        f.value_item = record.value.i != 0 ? 1 : 0;
        f.value_text = f.value_items[f.value_item];
        break;
    case PROPERTY_SPRITE_TYPE:
    case PROPERTY_WAD_TYPE:
    case PROPERTY_TEXTURE_FORMAT:
        if (record.value.i >= 0 && record.value.i < static_cast<int>(f.value_items.size())) {
            f.value_item = record.value.i;
            f.value_text = f.value_items[f.value_item];
        } else {
            f.value_text.clear();
        }
        break;
    default: f.value_text.clear(); break;
    }
}

} // namespace

void property_editor_sync(PropertyEditor &editor)
{
    store_value(editor);
    PropertyEditorFields &f = editor.fields;
    editor.index = f.selected;
    const Property *record = record_at(editor, editor.index);
    if (!record) {
        editor.index = -1;
        f.value_text.clear();
        f.value_item = -1;
        return;
    }
    show_record(editor, *record);
}

void property_editor_refill(PropertyEditor &editor)
{
    PropertyEditorFields &f = editor.fields;
    f.names.clear();
    if (editor.list)
        for (int i = 0; i < editor.list->count; ++i)
            f.names.emplace_back(editor.list->records[i].name);
    f.selected = f.names.empty() ? -1 : 0;
    property_editor_sync(editor);
}

void property_editor_open(PropertyEditor &editor, PropertyList *list)
{
    editor.list = list;
    editor.index = -1;
    editor.fields = PropertyEditorFields{};
    property_editor_refill(editor);
}

bool property_editor_add(PropertyEditor &editor)
{
    if (!editor.list)
        return false;
    const std::string name = property_text_taken(editor.fields.name_text);
    if (props_find(editor.list, name.c_str()) != 0) {
        show_warning(PROPERTY_EXISTS_MESSAGE);
        return false;
    }
    switch (editor.fields.type_index) {
    case PROPERTY_FLOAT: props_set_float(editor.list, name.c_str(), 0.0f); break;
    case PROPERTY_STRING: props_set_string(editor.list, name.c_str(), ""); break;
    case PROPERTY_BOOLEAN:
    case PROPERTY_SPRITE_TYPE:
    case PROPERTY_WAD_TYPE:
    case PROPERTY_TEXTURE_FORMAT: props_set_int(editor.list, name.c_str(), 0, editor.fields.type_index); break;
    default: props_set_int(editor.list, name.c_str(), 0, PROPERTY_INTEGER); break;
    }
    property_editor_refill(editor);
    return true;
}

void property_editor_remove(PropertyEditor &editor)
{
    if (record_at(editor, editor.index) && ask_question(PROPERTY_REMOVE_QUESTION)) {
        props_remove(editor.list, editor.index);
        // The value being typed goes with its record.
        editor.index = -1;
    }
    property_editor_refill(editor);
}

void property_editor_type_value(PropertyEditor &editor, const std::string &text)
{
    PropertyEditorFields &f = editor.fields;
    f.value_text = text;
    f.value_item = -1;
    for (size_t i = 0; i < f.value_items.size(); ++i)
        if (f.value_items[i] == text) {
            f.value_item = static_cast<int>(i);
            break;
        }
}

bool property_lists_same(const PropertyList &a, const PropertyList &b)
{
    if (a.count != b.count)
        return false;
    for (int i = 0; i < a.count; ++i) {
        const Property &x = a.records[i];
        const Property &y = b.records[i];
        if (std::strcmp(x.name, y.name) != 0 || x.type != y.type)
            return false;
        switch (x.type) {
        case PROPERTY_FLOAT:
            if (std::memcmp(&x.value.f, &y.value.f, sizeof x.value.f) != 0)
                return false;
            break;
        case PROPERTY_STRING:
            if (std::strcmp(x.value.s ? x.value.s : "", y.value.s ? y.value.s : "") != 0)
                return false;
            break;
        default:
            if (x.value.i != y.value.i)
                return false;
            break;
        }
    }
    return true;
}

bool property_editor_edit(PropertyList *list, const std::string &title)
{
    return property_list_edit(list, [&title](PropertyList *l) { editor_host().show_property_editor(l, title); });
}

bool property_list_edit(PropertyList *list, const std::function<void(PropertyList *)> &edit)
{
    PropertyList before{};
    props_copy(list, &before);
    edit(list);
    const bool changed = !property_lists_same(*list, before);
    if (changed) {
        // The undo step must hold the list as it was: it goes back in for
        // the snapshot, and the edited one returns after it.
        std::swap(*list, before);
        doc_begin_edit(1);
        std::swap(*list, before);
    }
    props_clear(&before);
    return changed;
}
