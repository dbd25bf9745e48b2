// The property editor without its widgets: the controls' contents as plain
// fields, and the editor's rules over them. The editor works on the live
// list: the value shown is stored into its record when another record is
// selected, when the list is refilled and on OK; Add and Remove change the
// list at once; Cancel puts the whole list back as it was when the dialog
// opened.
//
// The commands open the editor through property_editor_edit, which takes an
// undo step only when the list came back changed: looking is not editing.
//
// The dialog copies what the user did into PropertyEditorFields, calls one
// of the property_editor_* actions and shows the fields again.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "plugins/vorn_plugin.h"

// Names and values are read through a buffer of 260 bytes: at most this
// many bytes of a field are taken.
inline constexpr size_t PROPERTY_TEXT_LIMIT = 259;

inline constexpr const char *PROPERTY_EXISTS_MESSAGE = "A field with this name already exists, remove it first.";
inline constexpr const char *PROPERTY_REMOVE_QUESTION = "Are you sure you want to remove this field?";

// The type selector's items; an item's index is the PropertyType code.
const std::vector<std::string> &property_type_names();
// The value field's pick list of an integer-valued type whose value is an
// item index (Boolean, Quake Sprite Type, WAD Data Type); empty for the
// types edited as free text.
const std::vector<std::string> &property_pick_list(int type);

// What the controls show.
struct PropertyEditorFields {
    std::vector<std::string> names; // list box 1044, in list order
    int selected = -1;              // its selected row, -1 for none
    std::string value_text;         // value field 1041: its text...
    std::vector<std::string> value_items; // ...its pick list...
    int value_item = -1;            // ...and the selected item, -1 for none
    std::string name_text;          // name field 1037
    int type_index = 0;             // type selector 1040
    bool advanced = false;          // "Advanced Edit" 1039: the advanced controls are enabled
};

struct PropertyEditor {
    PropertyList *list = nullptr;
    int index = -1; // the record the value field belongs to, -1 for none
    PropertyEditorFields fields;
};

// Opening: type selector on "Integer", advanced controls off, the list
// filled and its first record shown.
void property_editor_open(PropertyEditor &editor, PropertyList *list);
// Stores the value field into the record it belongs to (by that record's
// type; its name and type never change here), then shows the selected
// record.
void property_editor_sync(PropertyEditor &editor);
// The list box filled from the list, the first record selected, then sync.
void property_editor_refill(PropertyEditor &editor);
// "Add": a record named by the name field, of the type selector's type,
// with a zero value, at the end. Refused with PROPERTY_EXISTS_MESSAGE when
// the name exists (names compare byte for byte). True when added.
bool property_editor_add(PropertyEditor &editor);
// "Remove": after PROPERTY_REMOVE_QUESTION, the record shown is removed with
// the value being typed; then refill, whatever the answer.
void property_editor_remove(PropertyEditor &editor);
// The text typed into the value field: no item is selected unless the text
// is exactly one of the pick list's items.
void property_editor_type_value(PropertyEditor &editor, const std::string &text);

// The value texts as stored: a decimal integer (leading white space, a
// sign, digits up to the first other character; 0 without digits; held to
// the 32-bit range), and a decimal number (sign, digits, fraction and
// exponent as far as the text forms one; 0 when it forms none).
int parse_integer_text(const std::string &text);
float parse_float_text(const std::string &text);
// A Float value as shown: six decimals, always with a full stop.
std::string format_float_value(float value);
// At most PROPERTY_TEXT_LIMIT bytes of `text`, not cutting a UTF-8 character.
std::string property_text_taken(const std::string &text);

// Two lists hold the same records in the same order: names, types and
// values (floats compared bit for bit, strings byte for byte).
bool property_lists_same(const PropertyList &a, const PropertyList &b);

// The property editor as the commands open it, on `list` of the open
// document: when the list comes back different, one undo step holding the
// list as it was and the document marked modified; otherwise neither.
// True when the list changed.
bool property_editor_edit(PropertyList *list, const std::string &title);
// The same rule for any change of `list` made by `edit` (a duration typed
// into the frame strip): one undo step only when the list changed.
bool property_list_edit(PropertyList *list, const std::function<void(PropertyList *)> &edit);
