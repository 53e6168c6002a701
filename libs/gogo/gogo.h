/* libgogo: Tovanek's MP3 encoder library over libmp3lame.
 *
 * Nine entry points with C linkage. Every one returns a 32-bit status, 0 meaning
 * success. The entry points carry no handle: one encode at a time per process.
 *
 * Order of one encode: MPGE_initializeWork, MPGE_setConfigure (any number),
 * MPGE_detectConfigure, MPGE_getConfigure(MC_GETFRAMES), then MPGE_processFrame until it
 * returns nonzero, MPGE_closeCoder, MPGE_endCoder. The set-up may run on one thread and
 * the frame steps on another, never at the same time.
 *
 * (The meaning of each setting code and of each status is documented below by the
 * library's implementation.)
 */
#ifndef TOVANEK_GOGO_H
#define TOVANEK_GOGO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define GOGO_API __declspec(dllexport)
#else
#define GOGO_API __attribute__((visibility("default")))
#endif

typedef int32_t MPGE_STATUS;

/* The memory-mode input function: fill `buffer` with `size` bytes of PCM; return 0 when
 * the buffer holds input, 1 when there is no more input. */
typedef int32_t (*MPGE_INPUT_PROC)(void* buffer, int32_t size);

/* The record passed with setting code 1, first value 2 (memory input). */
typedef struct MPGE_MEMORY_INPUT {
    MPGE_INPUT_PROC proc;
    int32_t total_length; /* -1: not given */
    int32_t bits_per_sample;
    int32_t samples_per_second;
    int32_t channels;
} MPGE_MEMORY_INPUT;

GOGO_API MPGE_STATUS MPGE_initializeWork(void);
/* value1 and value2 are numbers or pointers, as each setting code says. */
GOGO_API MPGE_STATUS MPGE_setConfigure(int32_t code, intptr_t value1, intptr_t value2);
GOGO_API MPGE_STATUS MPGE_getConfigure(int32_t code, void* out);
GOGO_API MPGE_STATUS MPGE_detectConfigure(void);
GOGO_API MPGE_STATUS MPGE_processFrame(void);
GOGO_API MPGE_STATUS MPGE_closeCoder(void);
GOGO_API MPGE_STATUS MPGE_endCoder(void);
GOGO_API MPGE_STATUS MPGE_getUnitStates(uint32_t* unit);
/* `text` must hold 512 bytes; it receives a NUL-terminated version text. */
GOGO_API MPGE_STATUS MPGE_getVersion(uint32_t* code, char* text);

#ifdef __cplusplus
}
#endif

#endif
