// The calls of the archive library yib.lib and the records they exchange.
//
// All calls are stdcall with ANSI strings (the system's ANSI code page). Full description of
// every argument, callback answer and error code: docs/archive-library.md.
#pragma once

#include <cstdint>

extern "C" {

// One listed entry; the array's entries are 48 bytes apart.
struct YibEntry {
    const char* name;          //  0: zero-terminated ANSI name, components separated by '\'
    std::uint32_t attributes;  //  4: Windows file attributes as stored (0 when not stored)
    std::uint64_t size;        //  8: unpacked size in bytes
    std::uint64_t packedSize;  // 16: packed size of the entry's block, given on the block's
                               //     first entry (0 on the others, on folders and empty files)
    std::uint64_t modified;    // 24: last write time, FILETIME (UTC); 0 when not stored
    std::uint32_t crc;         // 32: CRC-32 of the data when YIB_ENTRY_HAS_CRC
    std::uint32_t flags;       // 36: YIB_ENTRY_* bits
    std::uint32_t block;       // 40: index of the block holding the data, 0xFFFFFFFF for none
    std::uint32_t reserved;    // 44: 0
};
static_assert(sizeof(YibEntry) == 48, "entries are 48 bytes apart");

enum : std::uint32_t {
    YIB_ENTRY_FOLDER = 1,
    YIB_ENTRY_HAS_CRC = 2,
    YIB_ENTRY_ENCRYPTED = 4,
    YIB_ENTRY_HAS_TIME = 8,
    YIB_ENTRY_HAS_ATTRIBUTES = 16,
};

// The names to extract.
struct TSZW_TARGETFILES {
    char** names;
    int count;
};

// Size of the buffer given to the password callback, terminating zero included.
enum { YIB_PASSWORD_BUFFER = 1024 };

// Second argument of ExtractArchive.
enum { YIB_EXTRACT_ALL = 0, YIB_EXTRACT_TARGET_FILES = 1 };
// Mode of ExtractArchive.
enum { YIB_MODE_FULL_PATHS = 0, YIB_MODE_NO_PATHS = 1 };
// Answers of the per-file query callback.
enum { YIB_QUERY_CANCEL = 0, YIB_QUERY_SKIP = 1, YIB_QUERY_OVERWRITE = 4 };

typedef int(__stdcall* YibPasswordCallback)(char* buffer);
typedef int(__stdcall* YibProgressCallback)(const char* name, std::int64_t done, std::int64_t total);
typedef int(__stdcall* YibEntryDoneCallback)(int entriesDone, int entriesTotal);
typedef int(__stdcall* YibFileQueryCallback)(const char* targetPath, const char* entryName, std::uint32_t existingSizeLow,
                                             std::uint32_t existingSizeHigh, std::uint32_t existingTimeLow,
                                             std::uint32_t existingTimeHigh, std::uint32_t newSizeLow,
                                             std::uint32_t newSizeHigh, std::uint32_t newTimeLow,
                                             std::uint32_t newTimeHigh);

#ifdef YIB_BUILDING_LIBRARY
#define YIB_API  // exported through yib.def
#else
#define YIB_API __declspec(dllimport)
#endif

YIB_API void* __stdcall OpenListArchive(const char* archivePath, int reserved, YibPasswordCallback passwordCallback,
                                        void* reserved2, void* reserved3, void* reserved4, const char* password,
                                        YibEntry** entries, int* count);
YIB_API int __stdcall CloseListArchive(void* handle);
YIB_API int __stdcall GetLastArchiveError();
YIB_API int __stdcall ExtractArchive(const char* archivePath, int what, const char* targetFolder, TSZW_TARGETFILES* files,
                                     int mode, const char* password, YibPasswordCallback passwordCallback,
                                     YibProgressCallback progress, YibEntryDoneCallback entryDone,
                                     YibFileQueryCallback fileQuery);
}
