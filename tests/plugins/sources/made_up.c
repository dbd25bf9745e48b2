/* A plug-in for a made-up picture format: "MKUP", width, height, shade
 * (one byte each), then nothing. Loads only. GROUP_NAME tells builds of
 * this file apart. Any file with the magic is claimed, whatever its name. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vorn_plugin.h"

#ifndef GROUP_NAME
#define GROUP_NAME "made-up"
#endif

static int32_t load_made_up(const char *path, Animation *anim)
{
    unsigned char header[7];
    FILE *file = fopen(path, "rb");
    if (!file)
        return 0;
    const size_t n = fread(header, 1, sizeof header, file);
    fclose(file);
    if (n != sizeof header || memcmp(header, "MKUP", 4) != 0 || header[4] == 0 || header[5] == 0)
        return 0;

    const HostTable *host = (const HostTable *)dlsym(RTLD_DEFAULT, "vorn_api");
    if (!host)
        return 0;
    Group *groups = (Group *)realloc(anim->groups, sizeof(Group) * (size_t)(anim->group_count + 1));
    if (!groups)
        return 0;
    anim->groups = groups;
    Group *group = &groups[anim->group_count++];
    memset(group, 0, sizeof *group);
    group->name = strdup(GROUP_NAME);
    group->frames = (Frame *)calloc(1, sizeof(Frame));
    group->frame_count = 1;

    const int w = header[4], h = header[5];
    group->frames[0].image = host->gen_image();
    host->bind_image(group->frames[0].image);
    host->convert_image(32);
    host->enlarge_canvas(w, h);
    uint8_t *pixels = host->get_data();
    if (pixels)
        memset(pixels, header[6], (size_t)w * (size_t)h * 4);
    return 1;
}

VORN_PLUGIN_EXPORT const VORN_PLUGIN_INFO(1) vorn_info = {
    0, PLUGIN_VERSION, 0, {{"*.mkup", "Made-up Picture (*.mkup)"}, {NULL, NULL}}};

VORN_PLUGIN_EXPORT const PluginFormatTable vorn_api = {load_made_up, NULL, NULL, NULL};
