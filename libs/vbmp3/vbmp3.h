/* libvbmp3: Tovanek's MP3 decoder library over libmpg123.
 *
 * Six operations with C linkage, plus DecoderLastResult. One open input per process.
 * Threads: every operation may be called from any one thread at a time; the program
 * calls them all from its main thread. (Calls are serialised inside, so a second thread
 * cannot corrupt the state, but the operations are meant to be driven from one thread.)
 *
 * Call order used by the program, per file: DecoderCloseInput, DecoderOpenInput,
 * DecoderSetOptions, DecoderCloseInput, DecoderOpenInput, DecoderBeginWavOutput, then
 * DecoderPoll until it returns 0, then DecoderLastResult to learn whether the WAV file
 * was completed. DecoderStartup is called once before the first file; the other
 * operations also work without it.
 *
 * Results: DecoderOpenInput, DecoderSetOptions and DecoderBeginWavOutput return nonzero
 * on success and 0 on failure. DecoderStartup and DecoderCloseInput always return 1.
 * DecoderPoll returns nonzero while decoding goes on and 0 once it has ended, whether it
 * ended well or not: DecoderLastResult tells which.
 *
 * Units: TotalLength and the position from DecoderPoll count bytes of the input file
 * (from its first byte up to the end of its audio data, trailing tags excluded), divided
 * by Mp3StreamInfo.lengthUnitBytes (1 when that end lies within 21474836 bytes, else the
 * smallest power of two that brings it there). TotalLength therefore never exceeds 21474836, so
 * position * 100 computed in signed 32-bit arithmetic cannot overflow, and position * 100 /
 * TotalLength is the percentage done. The call of DecoderPoll that returns 0 after a complete
 * decode reports position == TotalLength.
 */
#ifndef TOVANEK_VBMP3_H
#define TOVANEK_VBMP3_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define VBMP3_API __declspec(dllexport)
#else
#define VBMP3_API __attribute__((visibility("default")))
#endif

/* Filled by DecoderOpenInput (all zero when it fails). 272 bytes. */
typedef struct Mp3StreamInfo {
    int32_t sampleRate;       /* 0: the source's sample rate in Hz (first audio frame) */
    int32_t channels;         /* 4: the source's channels, 1 or 2 */
    int32_t mpegVersion;      /* 8: 10 = MPEG-1, 20 = MPEG-2, 25 = MPEG-2.5 */
    int32_t layer;            /* 12: MPEG audio layer, 1 to 3 */
    int32_t bitrateKbps;      /* 16: bit rate of the first audio frame in kbit/s */
    int32_t outputSampleRate; /* 20: sample rate in Hz of the WAV file that will be written */
    int32_t outputChannels;   /* 24: channels of the WAV file that will be written */
    int32_t lengthUnitBytes;  /* 28: input bytes per unit of TotalLength and position */
    int64_t fileBytes;        /* 32: size of the input file in bytes */
    int64_t audioEndBytes;    /* 40: end of the audio data: file size less trailing tags */
    int64_t estimatedSamples; /* 48: samples per channel at the source rate, from the LAME/
                                 Xing header when there is one, else estimated from the
                                 size; -1 when unknown */
    uint8_t reserved[212];    /* 56: zero */
    int32_t TotalLength;      /* 268: audioEndBytes / lengthUnitBytes, see Units above */
} Mp3StreamInfo;

/* Bits of DecoderOptionBlock.flags. */
#define VBMP3_OPTION_RESAMPLE 1 /* write the WAV at sampleRate instead of the source's rate */

/* Passed to DecoderSetOptions: 12 bytes. The options apply from the next DecoderOpenInput
 * on (the program closes and opens the input again after setting them) and stay in force
 * until they are set again or DecoderStartup resets them. The default, and the block
 * {0, 0, 44100} that the program passes, both mean: keep the source's channels and sample
 * rate. */
typedef struct DecoderOptionBlock {
    int32_t channels;   /* 0 = as the source, 1 = mono (channels mixed), 2 = stereo
                           (mono duplicated); anything else is refused */
    int32_t flags;      /* 0 = defaults; VBMP3_OPTION_RESAMPLE; other bits are refused */
    int32_t sampleRate; /* Hz, 8000 to 48000; used only with VBMP3_OPTION_RESAMPLE */
} DecoderOptionBlock;

/* Values of DecoderLastResult. */
#define VBMP3_RESULT_NONE 0         /* no output finished since the last open, or in progress */
#define VBMP3_RESULT_COMPLETE 1     /* the WAV file was written completely and is in place */
#define VBMP3_RESULT_DECODE_ERROR 2 /* the input could not be read or decoded to its end */
#define VBMP3_RESULT_WRITE_ERROR                                                    \
    3                          /* the WAV file could not be written (disk full, I/O \
                                  error, more than 4 GiB of samples) */
#define VBMP3_RESULT_ABORTED 4 /* the input was closed while the output was in progress */

/* Resets the library: closes any input (discarding an unfinished output), restores the
 * default options, clears the last result. Returns 1. */
VBMP3_API int32_t DecoderStartup(void);

/* Opens an MP3 file (MPEG-1, 2 or 2.5 audio, layer 1 to 3, with or without ID3v2, ID3v1,
 * APE or Lyrics3 tags) after closing any open input. Accepts the file only when it holds
 * real MPEG audio frames that decode. Fills *info (may be NULL). Returns 1 when the file is
 * open, 0 when it is refused or cannot be read. */
VBMP3_API int32_t DecoderOpenInput(const char* path, Mp3StreamInfo* info);

/* Stores the options for later opens. Returns 1 when they are valid, 0 when they are
 * refused (NULL or a value outside the ranges above; the previous options stay). */
VBMP3_API int32_t DecoderSetOptions(const DecoderOptionBlock* options);

/* Closes the input. Safe with nothing open. An output in progress is discarded: its
 * temporary file is removed, nothing appears at the destination, and the last result
 * becomes VBMP3_RESULT_ABORTED. Returns 1. */
VBMP3_API int32_t DecoderCloseInput(void);

/* Starts decoding the open input into a 16-bit PCM WAV file at path. The data is written
 * to a temporary file ".<name>.XXXXXX.part" in the destination's folder (name cut to 200
 * bytes, XXXXXX random), which replaces path only once it is complete and flushed to disk.
 * Returns 1 when decoding has begun,
 * 0 when no input is open, an output is already in progress, or the temporary file cannot
 * be created. Calling it again after a finished output decodes the input again. */
VBMP3_API int32_t DecoderBeginWavOutput(const char* path);

/* Decodes the next part of the input (about 64 frames) and stores the position reached in
 * *position (may be NULL), in the unit of TotalLength. Returns nonzero while decoding goes
 * on and 0 once it has ended; the call that returns 0 finishes the output (complete or
 * discarded, see DecoderLastResult). With no output in progress it returns 0 at once and
 * reports the last position. */
VBMP3_API int32_t DecoderPoll(int32_t* position);

/* The outcome of the last output (VBMP3_RESULT_*). Opening an input resets it to
 * VBMP3_RESULT_NONE. A caller must treat every value except VBMP3_RESULT_COMPLETE as
 * "no usable WAV file was written". */
VBMP3_API int32_t DecoderLastResult(void);

#ifdef __cplusplus
}
#endif

#if defined(__cplusplus)
static_assert(sizeof(Mp3StreamInfo) == 272, "Mp3StreamInfo is 272 bytes");
static_assert(offsetof(Mp3StreamInfo, TotalLength) == 268, "TotalLength at byte 268");
static_assert(sizeof(DecoderOptionBlock) == 12, "DecoderOptionBlock is 12 bytes");
static_assert(offsetof(DecoderOptionBlock, sampleRate) == 8, "sampleRate at byte 8");
#else
_Static_assert(sizeof(Mp3StreamInfo) == 272, "Mp3StreamInfo is 272 bytes");
_Static_assert(offsetof(Mp3StreamInfo, TotalLength) == 268, "TotalLength at byte 268");
_Static_assert(sizeof(DecoderOptionBlock) == 12, "DecoderOptionBlock is 12 bytes");
#endif

#endif
