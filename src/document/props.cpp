#include "document/props.h"

#include <cstdlib>
#include <cstring>

#if UINTPTR_MAX == 0xFFFFFFFFu
#include <cstddef>
static_assert(sizeof(Property) == 268 && offsetof(Property, type) == 260 && offsetof(Property, value) == 264);
static_assert(sizeof(PropertyList) == 8);
#endif

namespace {

Property *find_record(const PropertyList *list, const char *name)
{
    for (int i = 0; i < list->count; ++i)
        if (std::strcmp(list->records[i].name, name) == 0)
            return &list->records[i];
    return nullptr;
}

char *duplicate(const char *text)
{
    const size_t n = std::strlen(text ? text : "") + 1;
    char *copy = static_cast<char *>(std::malloc(n));
    if (copy)
        std::memcpy(copy, text ? text : "", n);
    return copy;
}

// Replace-or-append: the record keeps its position when it already exists.
Property *slot_for(PropertyList *list, const char *name)
{
    if (Property *existing = find_record(list, name)) {
        if (existing->type == PROPERTY_STRING)
            std::free(existing->value.s);
        existing->value.s = nullptr;
        return existing;
    }
    auto *grown = static_cast<Property *>(std::realloc(list->records, sizeof(Property) * (list->count + 1)));
    if (!grown)
        std::abort();
    list->records = grown;
    Property *record = &list->records[list->count++];
    std::memset(record, 0, sizeof *record);
    std::strncpy(record->name, name, PROPERTY_NAME_SIZE - 1);
    return record;
}

} // namespace

int props_find(const PropertyList *list, const char *name)
{
    for (int i = 0; i < list->count; ++i)
        if (std::strcmp(list->records[i].name, name) == 0)
            return i + 1;
    return 0;
}

void props_set_string(PropertyList *list, const char *name, const char *text)
{
    // Copy first: `text` may be the record's own current value.
    char *copy = duplicate(text);
    Property *record = slot_for(list, name);
    record->type = PROPERTY_STRING;
    record->value.s = copy;
}

void props_set_float(PropertyList *list, const char *name, float number)
{
    Property *record = slot_for(list, name);
    record->type = PROPERTY_FLOAT;
    record->value.f = number;
}

void props_set_int(PropertyList *list, const char *name, int number, int type)
{
    Property *record = slot_for(list, name);
    record->type = type;
    record->value.i = number;
}

int props_get_int(const PropertyList *list, const char *name)
{
    const Property *record = find_record(list, name);
    return record ? record->value.i : 0;
}

float props_get_float(const PropertyList *list, const char *name)
{
    const Property *record = find_record(list, name);
    return record ? record->value.f : 0.0f;
}

const char *props_get_string(const PropertyList *list, const char *name)
{
    const Property *record = find_record(list, name);
    return record && record->type == PROPERTY_STRING ? record->value.s : nullptr;
}

void props_clear(PropertyList *list)
{
    for (int i = 0; i < list->count; ++i)
        if (list->records[i].type == PROPERTY_STRING)
            std::free(list->records[i].value.s);
    std::free(list->records);
    list->records = nullptr;
    list->count = 0;
}

void props_copy(const PropertyList *source, PropertyList *destination)
{
    if (source == destination)
        return;
    props_clear(destination);
    for (int i = 0; i < source->count; ++i) {
        const Property &record = source->records[i];
        switch (record.type) {
        case PROPERTY_FLOAT:
            props_set_float(destination, record.name, record.value.f);
            break;
        case PROPERTY_STRING:
            props_set_string(destination, record.name, record.value.s);
            break;
        case PROPERTY_INTEGER:
        case PROPERTY_BOOLEAN:
        case PROPERTY_SPRITE_TYPE:
        case PROPERTY_WAD_TYPE:
        case PROPERTY_TEXTURE_FORMAT:
            props_set_int(destination, record.name, record.value.i, record.type);
            break;
        default:
            break; // unknown codes are not carried over
        }
    }
}

void props_remove(PropertyList *list, int index)
{
    if (index < 0 || index >= list->count)
        return;
    if (list->records[index].type == PROPERTY_STRING)
        std::free(list->records[index].value.s);
    std::memmove(&list->records[index], &list->records[index + 1],
                 sizeof(Property) * (list->count - index - 1));
    --list->count;
    std::memset(&list->records[list->count], 0, sizeof(Property));
}
