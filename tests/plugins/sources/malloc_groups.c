/* Loads "*.grp" files whose text is "GRP": appends two groups of two frames
 * each, with properties on the animation, the groups and the frames, all
 * allocated with malloc so that the host can free them. Also saves: writes
 * "GRP" and a summary line, to show the save slot is reached. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vorn_plugin.h"

static void add_string(PropertyList *list, const char *name, const char *text)
{
    Property *records = (Property *)realloc(list->records, sizeof(Property) * (size_t)(list->count + 1));
    if (!records)
        return;
    list->records = records;
    Property *p = &records[list->count++];
    memset(p, 0, sizeof *p);
    strncpy(p->name, name, PROPERTY_NAME_SIZE - 1);
    p->type = PROPERTY_STRING;
    p->value.s = strdup(text);
}

static void add_int(PropertyList *list, const char *name, int32_t value)
{
    Property *records = (Property *)realloc(list->records, sizeof(Property) * (size_t)(list->count + 1));
    if (!records)
        return;
    list->records = records;
    Property *p = &records[list->count++];
    memset(p, 0, sizeof *p);
    strncpy(p->name, name, PROPERTY_NAME_SIZE - 1);
    p->type = PROPERTY_INTEGER;
    p->value.i = value;
}

static int has_magic(const char *path)
{
    char magic[3];
    FILE *file = fopen(path, "rb");
    if (!file)
        return 0;
    const size_t n = fread(magic, 1, 3, file);
    fclose(file);
    return n == 3 && memcmp(magic, "GRP", 3) == 0;
}

static int32_t load_groups(const char *path, Animation *anim)
{
    if (!has_magic(path))
        return 0;
    const HostTable *host = (const HostTable *)dlsym(RTLD_DEFAULT, "vorn_api");
    if (!host)
        return 0;
    add_string(&anim->props, "Comment", "made by a plug-in");
    for (int g = 0; g < 2; ++g) {
        Group *groups = (Group *)realloc(anim->groups, sizeof(Group) * (size_t)(anim->group_count + 1));
        if (!groups)
            return 0;
        anim->groups = groups;
        Group *group = &groups[anim->group_count++];
        memset(group, 0, sizeof *group);
        group->name = (char *)malloc(16);
        snprintf(group->name, 16, "group %d", g);
        add_int(&group->props, "Index", g);
        group->frames = (Frame *)malloc(sizeof(Frame) * 2);
        group->frame_count = 2;
        for (int f = 0; f < 2; ++f) {
            Frame *frame = &group->frames[f];
            memset(frame, 0, sizeof *frame);
            frame->image = host->gen_image();
            host->bind_image(frame->image);
            host->convert_image(32);
            host->enlarge_canvas(2 + f, 2 + g);
            char text[32];
            snprintf(text, sizeof text, "frame %d.%d", g, f);
            add_string(&frame->props, "Label", text);
            add_int(&frame->props, "Number", g * 10 + f);
        }
    }
    return 1;
}

static int32_t save_groups(const char *path, Animation *anim)
{
    const char *dot = strrchr(path, '.');
    if (!dot || strcmp(dot, ".grp") != 0)
        return 0;
    FILE *file = fopen(path, "wb");
    if (!file)
        return 0;
    fprintf(file, "GRP %d groups\n", (int)anim->group_count);
    return fclose(file) == 0;
}

VORN_PLUGIN_EXPORT const VORN_PLUGIN_INFO(2) vorn_info = {
    0, PLUGIN_VERSION, 0, {{"*.grp", "Groups (*.grp)"}, {"*.grp2", "More Groups (*.grp2)"}, {NULL, NULL}}};

VORN_PLUGIN_EXPORT const PluginFormatTable vorn_api = {load_groups, save_groups, NULL, NULL};
