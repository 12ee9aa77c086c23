#pragma once
// The C interface of the resource library "Resources.dll": the built-in
// design's bitmaps as PNG files by numeric id. Plain C so that any program can
// load the module with dlopen, and a replacement module (an update, a
// different design) only has to export these three functions.
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LUMI_RESOURCE_API_VERSION 1

// The version of this interface the module implements.
int LumiResourceApiVersion(void);

// The PNG bytes of bitmap `id` with their count in *size; null (and *size 0)
// when the module has no such bitmap. The bytes live as long as the module is
// loaded.
const unsigned char* LumiResourceBitmap(int id, size_t* size);

// Every id the module holds, ascending, with their count in *count.
const int* LumiResourceBitmapIds(size_t* count);

typedef int (*LumiResourceApiVersionFn)(void);
typedef const unsigned char* (*LumiResourceBitmapFn)(int id, size_t* size);
typedef const int* (*LumiResourceBitmapIdsFn)(size_t* count);

#ifdef __cplusplus
}
#endif
