/* libvbmp3: Tovanek's MP3 decoder library over libmpg123.
 *
 * Six operations with C linkage, one open input per process, polled from one thread.
 * (The meaning of each field and status is documented below by the implementation.)
 */
#ifndef TOVANEK_VBMP3_H
#define TOVANEK_VBMP3_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define VBMP3_API __declspec(dllexport)
#else
#define VBMP3_API __attribute__((visibility("default")))
#endif

/* Filled by DecoderOpenInput. 272 bytes; TotalLength at byte 268, in the unit of the
 * position that DecoderPoll reports. */
typedef struct Mp3StreamInfo {
    uint8_t library[268];
    int32_t TotalLength;
} Mp3StreamInfo;

/* Passed to DecoderSetOptions: 12 bytes. */
typedef struct DecoderOptionBlock {
    int32_t field0;
    int32_t field1;
    int32_t sample_rate;
} DecoderOptionBlock;

VBMP3_API int32_t DecoderStartup(void);
VBMP3_API int32_t DecoderOpenInput(const char* path, Mp3StreamInfo* info);
VBMP3_API int32_t DecoderSetOptions(const DecoderOptionBlock* options);
VBMP3_API int32_t DecoderCloseInput(void);
VBMP3_API int32_t DecoderBeginWavOutput(const char* path);
VBMP3_API int32_t DecoderPoll(int32_t* position);

#ifdef __cplusplus
}
#endif

#if defined(__cplusplus)
static_assert(sizeof(Mp3StreamInfo) == 272, "Mp3StreamInfo is 272 bytes");
static_assert(sizeof(DecoderOptionBlock) == 12, "DecoderOptionBlock is 12 bytes");
#endif

#endif
