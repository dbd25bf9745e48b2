/*
 * vorn_plugin.h - everything a Vorn format plug-in needs, in plain C.
 *
 * This header is self-contained: a plug-in author compiles against it and
 * nothing else from the Vorn sources. It describes
 *   - the document records a plug-in reads or fills in place
 *     (Animation, Group, Frame, PropertyList, Property),
 *   - what the plug-in exports (PluginInfo as `vorn_info`,
 *     PluginFormatTable as `vorn_api`),
 *   - the host's image functions (HostTable), which the program exports
 *     under the name `vorn_api` as well. Because the plug-in's own export
 *     carries the same name, a plug-in finds the host table at run time with
 *     dlsym(RTLD_DEFAULT, "vorn_api") rather than by linking to it.
 *
 * Memory: every array and string reachable from an Animation is released by
 * the host with free(). Allocate names, frame and group arrays, property
 * records and string values with malloc/realloc.
 */
#ifndef VORN_PLUGIN_H
#define VORN_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PLUGIN_VERSION 6336
#define PROPERTY_NAME_SIZE 260

/* Property type codes. Codes 0, 3, 4, 5 and 6 hold a 32-bit integer. */
enum {
    PROPERTY_INTEGER = 0,
    PROPERTY_FLOAT = 1,
    PROPERTY_STRING = 2,
    PROPERTY_BOOLEAN = 3,
    PROPERTY_SPRITE_TYPE = 4,
    PROPERTY_WAD_TYPE = 5,
    PROPERTY_TEXTURE_FORMAT = 6 /* a Half-Life sprite's way of drawing */
};

typedef struct Property {
    char name[PROPERTY_NAME_SIZE]; /* NUL-terminated, at most 259 characters */
    int32_t type;                  /* one of the PROPERTY_* codes */
    union {
        int32_t i;   /* codes 0, 3, 4, 5 */
        float f;     /* code 1 */
        char *s;     /* code 2: malloc'd, owned by the record */
    } value;
} Property;

typedef struct PropertyList {
    Property *records; /* NULL when empty and never used, or cleared */
    int32_t count;
} PropertyList;

typedef struct Frame {
    uint32_t image; /* image-library image name, owned by the frame */
    PropertyList props;
} Frame;

typedef struct Group {
    char *name; /* malloc'd, NUL-terminated */
    int32_t frame_count;
    Frame *frames; /* may be NULL when frame_count is 0 */
    PropertyList props;
} Group;

typedef struct Animation {
    Group *groups; /* NULL when there are no groups */
    PropertyList props;
    int32_t group_count;
} Animation;

/* Pixel layouts: 8 colour index, 9 luminance, 24 RGB, 25 BGR, 32 RGBA,
 * 33 BGRA (always 8 bits per channel). Palette layouts: 24, 25, 32, 33. */
typedef int32_t ImageTypeCode;
typedef int32_t PaletteTypeCode;

/* Exported by the plug-in as `vorn_info`. */
typedef struct PluginFormat {
    const char *pattern;     /* e.g. "*.foo"; NULL ends the list */
    const char *description; /* e.g. "Foo Picture (*.foo)" */
} PluginFormat;

typedef struct PluginInfo {
    int32_t reserved0;       /* not read by the host */
    int32_t version;         /* must be PLUGIN_VERSION */
    int32_t reserved1;       /* not read by the host */
    PluginFormat formats[1]; /* variable length, ended by a NULL pattern */
} PluginInfo;

/* A record laid out like PluginInfo with room for n formats and the NULL
 * entry that ends the list, for a plug-in's own `vorn_info`:
 *   VORN_PLUGIN_EXPORT const VORN_PLUGIN_INFO(2) vorn_info = {
 *       0, PLUGIN_VERSION, 0,
 *       {{"*.foo", "Foo Picture (*.foo)"}, {"*.bar", "Bar (*.bar)"}, {NULL, NULL}}};
 */
#define VORN_PLUGIN_INFO(n)                                                   \
    struct {                                                                  \
        int32_t reserved0;                                                    \
        int32_t version;                                                      \
        int32_t reserved1;                                                    \
        PluginFormat formats[(n) + 1];                                        \
    }

/* Marks the plug-in's two exports so that the host finds them by name, also
 * when the plug-in is written in C++ or built with hidden visibility. */
#ifdef __cplusplus
#define VORN_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define VORN_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

/* Exported by the plug-in as `vorn_api`. Every entry may be NULL.
 * Each returns non-zero when it handled the file (load_palette: the number
 * of entries read) and 0 to let the host try the next candidate. */
typedef struct PluginFormatTable {
    int32_t (*load_image)(const char *path, Animation *anim);
    int32_t (*save_image)(const char *path, Animation *anim);
    int32_t (*load_palette)(const char *path, uint8_t *rgba1024);
    int32_t (*save_palette)(const char *path, const uint8_t *rgba, int32_t count);
} PluginFormatTable;

/* The host's image functions, exported by the program as `vorn_api`.
 * Every function acts on the image library's currently bound image.
 * Boolean results are 1 on success and 0 on failure. */
typedef struct HostTable {
    void (*initialise)(void);                               /* 0 */
    void (*shut_down)(void);                                /* 1 */
    int32_t (*set_upper_left_origin)(void);                 /* 2 */
    const char *(*error_text)(void);                        /* 3 */
    int32_t (*width)(void);                                 /* 4 */
    int32_t (*height)(void);                                /* 5 */
    ImageTypeCode (*image_type)(void);                      /* 6 */
    int32_t (*palette_size)(void);                          /* 7 */
    PaletteTypeCode (*palette_type)(void);                  /* 8 */
    uint32_t (*colours_used)(void);                         /* 9 */
    uint8_t *(*get_palette)(void);                          /* 10 */
    void (*clear_colour)(float r, float g, float b, float a); /* 11 */
    uint32_t (*gen_image)(void);                            /* 12 */
    int32_t (*copy_image)(uint32_t source);                 /* 13 */
    void (*delete_image)(uint32_t image);                   /* 14 */
    void (*bind_image)(uint32_t image);                     /* 15 */
    int32_t (*convert_image)(ImageTypeCode type);           /* 16 */
    void (*convert_palette)(PaletteTypeCode type);          /* 17 */
    int32_t (*set_palette)(const uint8_t *rgba, int32_t count); /* 18 */
    uint8_t *(*get_data)(void);                             /* 19 */
    int32_t (*set_data)(const void *data);                  /* 20 */
    int32_t (*enlarge_canvas)(int32_t width, int32_t height); /* 21 */
    void (*set_scaling_filter)(int32_t n);                  /* 22 */
    int32_t (*scale)(int32_t width, int32_t height);        /* 23 */
    int32_t (*get_save_option)(int32_t selector);           /* 24 */
    void (*set_save_option)(int32_t selector, int32_t value); /* 25 */
    int32_t (*rotate)(float degrees);                       /* 26 */
    int32_t (*contrast)(float amount);                      /* 27 */
    int32_t (*blur_average)(uint32_t iterations);           /* 28 */
    int32_t (*blur_gaussian)(uint32_t iterations);          /* 29 */
    int32_t (*noisify)(float tolerance);                    /* 30 */
    int32_t (*pixelize)(uint32_t block_size);               /* 31 */
    int32_t (*sharpen)(float factor);                       /* 32 */
    int32_t (*gamma_correct)(float gamma);                  /* 33 */
    int32_t (*flip)(void);                                  /* 34 */
    int32_t (*mirror)(void);                                /* 35 */
    int32_t (*alienify)(void);                              /* 36 */
    int32_t (*edge_detect)(void);                           /* 37 */
    int32_t (*emboss)(void);                                /* 38 */
    int32_t (*negative)(void);                              /* 39 */
    int32_t (*origin_is_lower_left)(void);                  /* 40 */
    void *end;                                              /* always NULL */
} HostTable;

#ifdef __cplusplus
}
#endif

#endif /* VORN_PLUGIN_H */
