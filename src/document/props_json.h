// Property lists and texts of the document as JSON values: the one JSON
// style of every file the programs write beside images (the batch tool's
// frame manifest, a sprite sheet's description).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "plugins/vorn_plugin.h"

using Json = nlohmann::ordered_json;

// A property list as [{"name", "type", "value"}]; strings that are not
// UTF-8 become {"hex": "..."}; floats are printed with nine significant
// digits (enough to read back the same float), non-finite ones as null with
// their bits in "bits".
Json json_properties(const PropertyList &list);
Json json_text(const char *text);
// A float as json_properties writes one: a number, or {"bits": "xxxxxxxx"}
// when it is not finite.
Json json_float(float value);
// Reads back what json_text wrote. False with `error` set otherwise.
bool text_from_json(const Json &value, std::string &text, std::string &error);
// Replaces `list` by the records of `value`. False with `error` set
// (naming the record) when the value is not such a list.
bool properties_from_json(const Json &value, PropertyList *list, std::string &error);
