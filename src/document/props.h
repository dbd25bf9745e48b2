// Ordered lists of typed name/value records carried by the animation, each
// group and each frame. Names are compared byte for byte.
#pragma once

#include "plugins/vorn_plugin.h"

// 1-based position of the first record called `name`, 0 when there is none.
int props_find(const PropertyList *list, const char *name);

void props_set_string(PropertyList *list, const char *name, const char *text);
void props_set_float(PropertyList *list, const char *name, float number);
void props_set_int(PropertyList *list, const char *name, int number, int type);

// Value of the first record called `name` (type not consulted); 0 if absent.
int props_get_int(const PropertyList *list, const char *name);
float props_get_float(const PropertyList *list, const char *name);
// Text of a String record, or nullptr when absent or not a string.
const char *props_get_string(const PropertyList *list, const char *name);

void props_clear(PropertyList *list);
void props_copy(const PropertyList *source, PropertyList *destination);
void props_remove(PropertyList *list, int index);
