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
 * Threads: any thread may call any entry point. The library serialises the calls with
 * one lock of its own, so two threads never run inside it at once; the memory-input
 * function (MC_INPUTFILE with MC_INPDEV_MEMORY) is called on the thread that calls
 * MPGE_processFrame, while that lock is held. No exception ever leaves an entry point.
 *
 * ------------------------------------------------------------------------------------
 * Setting codes of MPGE_setConfigure(code, value1, value2)
 *
 * Values are numbers or pointers. Booleans are 1 or 0; any other value is refused.
 * Pointed-to data (paths, the memory record, tag blocks) is copied during the call; the
 * caller may free it afterwards. A refused value returns GOGO_ERR_BAD_VALUE (an unknown
 * code GOGO_ERR_UNKNOWN_CODE) and is remembered: MPGE_detectConfigure then returns the
 * same status, so a refused setting can never turn into a silently different encode.
 * Settings are accepted from MPGE_initializeWork until MPGE_detectConfigure succeeds;
 * afterwards MPGE_setConfigure returns GOGO_ERR_BUSY.
 *
 *  1 MC_INPUTFILE      value1 MC_INPDEV_FILE (0): value2 points to a NUL-terminated path
 *                      of a RIFF WAVE file (PCM 8-bit unsigned, 16/24/32-bit signed
 *                      integer, 32-bit IEEE float; 1 or 2 channels; also as
 *                      WAVE_FORMAT_EXTENSIBLE with the PCM or float subformat).
 *                      value1 MC_INPDEV_MEMORY (2): value2 points to an
 *                      MPGE_MEMORY_INPUT record; the input function is asked for one
 *                      frame's worth of bytes per frame step (little-endian samples,
 *                      interleaved, 8 unsigned / 16 / 24 / 32 signed bits, 1 or 2
 *                      channels). A total_length >= 0 (bytes) ends the input after that
 *                      many bytes and makes the frame count exact; -1 reads until the
 *                      function returns 1.
 *  2 MC_OUTPUTFILE     value2 points to the destination path. The output is written to
 *                      a hidden temporary file ".<name>.XXXXXX.part" in the same folder
 *                      and renamed onto the destination only when it is complete and on
 *                      disk; a failed or closed-early encode removes the temporary and
 *                      leaves the destination as it was.
 *  3 MC_ENCODEMODE     value1: 0 mono (a stereo input is mixed down), 1 stereo, 2 joint
 *                      stereo (default), 3 MS stereo (joint stereo with mid/side forced
 *                      on every frame), 4 dual channel (LAME's dual-channel mode: two
 *                      independent channels, header mode "dual channel"). A mono input
 *                      always gives a mono stream, whatever this setting says.
 *  4 MC_BITRATE        value1: CBR bit rate in kbit/s (default 128). It must be one of
 *                      the rates of the stream's MPEG version, which follows the output
 *                      sample rate (= the input rate when that is an MPEG rate):
 *                      MPEG-1 (32, 44.1, 48 kHz): 32 40 48 56 64 80 96 112 128 160 192
 *                      224 256 320; MPEG-2 (16, 22.05, 24 kHz): 8 16 24 32 40 48 56 64
 *                      80 96 112 128 144 160; MPEG-2.5 (8, 11.025, 12 kHz): 8 to 64 of
 *                      that list (LAME encodes no more there). Any other rate makes
 *                      MPGE_detectConfigure return GOGO_ERR_BITRATE rather than letting
 *                      LAME pick a neighbour. Not used (and not checked) in VBR mode.
 *  8 MC_USEPSY         value1: quality choice. 0 (default): LAME's default quality 3,
 *                      the fast everyday setting. 1: LAME quality 2, a more thorough
 *                      psychoacoustic noise-shaping search, about 2.7x slower.
 *  9 MC_USELPF16       value1 1: low-pass at 16 kHz. 0 (default): LAME's own low-pass for
 *                      the bit rate. MC_ENHANCEDFILTER, when given, takes precedence.
 * 10 MC_USEMMX         value1 1/0: allow/forbid LAME's MMX code (default allowed).
 * 11 MC_USE3DNOW       value1 1/0: allow/forbid LAME's 3DNow! code (default allowed).
 * 12 MC_USEKNI         value1 1/0: allow/forbid LAME's SSE code (default allowed).
 * 13 MC_USEE3DNOW      value1 1/0: accepted; LAME has no code of its own for the extended
 *                      3DNow! set, so this setting has no effect.
 *                      (10-12 reach lame_set_asm_optimizations; a LAME built without
 *                      assembly, as on x86-64, ignores them. They never change the
 *                      output, only the speed.)
 * 14 MC_USESPC1        value1 1/0: accepted, no effect (no such unit in LAME).
 * 15 MC_USESPC2        value1 1/0: accepted, no effect.
 * 16 MC_ADDTAG         value1 size in bytes (> 0), value2 pointer to an ID3 block (for
 *                      instance a complete ID3v2 tag). MP3 output: written as given at
 *                      the very start of the file, before the first MP3 frame. RIFF
 *                      output: written as a chunk "id3 " after the data chunk. A later
 *                      call replaces the block.
 * 17 MC_EMPHASIS       value1: 0 none (default), 1 50/15 us, 3 CCITT J.17; 2 is refused.
 * 18 MC_VBR            value1: VBR level 0 (best) to 9 (smallest); switches to VBR
 *                      (LAME's default VBR method). Without it the encode is CBR.
 * 19 MC_CPU            value1: processor count; any value is accepted. LAME is single-
 *                      threaded: the encode always runs on the thread calling
 *                      MPGE_processFrame.
 * 26 MC_OUTSTREAM      value1: 0 plain MP3 (default); 1 MP3 inside a RIFF WAVE file (fmt
 *                      chunk with format tag 0x55 MPEGLAYER3WAVEFORMAT, a fact chunk with
 *                      the sample count per channel, the stream in the data chunk); 2
 *                      RIFF "RMP3" (the stream in a data chunk).
 * 27 MC_RIFFTAG        value1 size (> 0), value2 pointer to a block of one or more
 *                      complete RIFF chunks (four-character id, 32-bit little-endian
 *                      size, payload, pad byte when the size is odd), for instance a
 *                      "LIST" "INFO" chunk. Each call adds one block; RIFF output appends
 *                      the blocks in call order after the data chunk, as given. A block
 *                      that is not such a chunk sequence makes MPGE_detectConfigure
 *                      return GOGO_ERR_TAG. Plain MP3 output does not use them.
 * 30 MC_VBRBITRATE     value1 lowest, value2 highest bit rate (kbit/s) of a VBR encode;
 *                      both must be rates of the stream's MPEG version (list at 4) and
 *                      lowest <= highest, else GOGO_ERR_VBR_RANGE. Ignored for CBR.
 * 31 MC_ENHANCEDFILTER value1 Low, value2 High, percent (0..100) of the output's Nyquist
 *                      frequency (half the output sample rate), Low <= High, High > 0:
 *                      the low-pass's transition band runs from Low % to High %. LAME's
 *                      lowpass frequency is set to the middle and its width to the band.
 * 32 MC_MSTHRESHOLD    value1 Threshold, value2 Power, 0..100 each: accepted and range-
 *                      checked; LAME chooses between mid/side and left/right itself, per
 *                      frame, and offers no such tuning, so they have no effect. Use
 *                      MC_ENCODEMODE 3 to force mid/side.
 *
 * Codes of MPGE_getConfigure(code, out):
 * 15 MC_GETFRAMES      out: int32_t*. Valid after MPGE_detectConfigure succeeded.
 *                      Receives the number of MP3 audio frames the encode writes, NOT
 *                      counting the leading LAME/Xing info frame. It is also exactly the
 *                      number of MPGE_processFrame calls of the encode: the first
 *                      AllFrames - 1 calls return 0 and the AllFrames-th returns
 *                      GOGO_END. With N input samples per channel, an output rate equal
 *                      to the input rate and S samples per frame (1152 MPEG-1, 576
 *                      MPEG-2/2.5): AllFrames = ceil((N + 1152) / S) (LAME's 576-sample
 *                      encoder delay plus at least 576 samples of end padding).
 *                      When LAME must resample (the input rate is not an MPEG rate,
 *                      e.g. 88.2 or 96 kHz), N is the length at the output rate, which
 *                      LAME's resampler meets to within one sample: the value can then
 *                      be one frame off, and only when that length falls within a sample
 *                      of a frame boundary. The last call always returns GOGO_END.
 *                      Memory input: the same with N = total_length / block size; without
 *                      a total length the value is -1 (unknown) and the last call is the
 *                      one after the input function returned 1.
 *
 * ------------------------------------------------------------------------------------
 * Statuses
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

/* Success and end of the encode. */
#define GOGO_OK 0
#define GOGO_END 1 /* MPGE_processFrame: the encode is complete, the file is in place */

/* Order of calls. */
#define GOGO_ERR_NOT_READY 2 /* no MPGE_initializeWork / no accepted set-up for this call */
#define GOGO_ERR_BUSY 3      /* set-up accepted or frame steps running: call not allowed */
#define GOGO_ERR_INTERNAL 10 /* unexpected failure inside the library (caught) */
#define GOGO_ERR_OUT_OF_MEMORY 11

/* MPGE_setConfigure (and, remembered, MPGE_detectConfigure) */
#define GOGO_ERR_UNKNOWN_CODE 12 /* setting code the library does not know */
#define GOGO_ERR_BAD_VALUE 13    /* value out of range, null pointer, bad memory record */

/* MPGE_detectConfigure: the input */
#define GOGO_ERR_NO_INPUT 20       /* MC_INPUTFILE never given */
#define GOGO_ERR_INPUT_OPEN 21     /* the input file cannot be opened (missing, denied) */
#define GOGO_ERR_INPUT_NOT_FILE 22 /* the input is a folder, a device or a pipe */
#define GOGO_ERR_INPUT_EMPTY 23    /* the input file has 0 bytes */
#define GOGO_ERR_NOT_RIFF 24       /* the file does not start with "RIFF" ... "WAVE" */
#define GOGO_ERR_TRUNCATED 25      /* the file ends inside the RIFF header or a chunk */
#define GOGO_ERR_CHUNK_SIZE 26     /* a chunk size that would run past 4 GiB (wraps) */
#define GOGO_ERR_NO_FMT 27         /* the data chunk comes before any fmt chunk */
#define GOGO_ERR_SECOND_FMT 28     /* a second fmt chunk */
#define GOGO_ERR_FMT_TOO_SHORT 29  /* fmt shorter than 16 bytes (40 for EXTENSIBLE) */
#define GOGO_ERR_FORMAT_TAG 30     /* compressed or unknown format tag or subformat */
#define GOGO_ERR_CHANNELS 31       /* 0 or more than 2 channels */
#define GOGO_ERR_BITS 32           /* bits per sample not 8/16/24/32 (float: not 32) */
#define GOGO_ERR_BLOCK_ALIGN 33    /* block align 0 or not channels x bytes per sample */
#define GOGO_ERR_SAMPLE_RATE 34    /* sample rate 0 or outside 1000..384000 Hz */
#define GOGO_ERR_NO_DATA 35        /* no data chunk */
#define GOGO_ERR_READ_HEADER 36    /* reading the header failed (I/O error) */

/* MPGE_detectConfigure: the settings and the output */
#define GOGO_ERR_BITRATE 40       /* bit rate not legal for the stream's MPEG version */
#define GOGO_ERR_VBR_RANGE 41     /* MC_VBRBITRATE outside the table or low > high */
#define GOGO_ERR_LAME 42          /* LAME refused the parameters */
#define GOGO_ERR_TAG 43           /* an MC_RIFFTAG block that is not a chunk sequence */
#define GOGO_ERR_NO_OUTPUT 44     /* MC_OUTPUTFILE never given or empty */
#define GOGO_ERR_OUTPUT_DIR 45    /* destination folder missing or not writable */
#define GOGO_ERR_OUTPUT_IS_DIR 46 /* the destination is an existing folder */

/* MPGE_processFrame */
#define GOGO_ERR_READ 50   /* the input could not be read, or ended before its size */
#define GOGO_ERR_WRITE 51  /* the output could not be written (disk full, I/O error) */
#define GOGO_ERR_ENCODE 52 /* LAME reported an encoding failure */
#define GOGO_ERR_COMMIT 53 /* the finished output could not be synced or renamed */

/* Setting codes (meanings above). */
#define MC_INPUTFILE 1
#define MC_INPDEV_FILE 0
#define MC_INPDEV_MEMORY 2
#define MC_OUTPUTFILE 2
#define MC_ENCODEMODE 3
#define MC_BITRATE 4
#define MC_USEPSY 8
#define MC_USELPF16 9
#define MC_USEMMX 10
#define MC_USE3DNOW 11
#define MC_USEKNI 12
#define MC_USEE3DNOW 13
#define MC_USESPC1 14
#define MC_USESPC2 15
#define MC_ADDTAG 16
#define MC_EMPHASIS 17
#define MC_VBR 18
#define MC_CPU 19
#define MC_OUTSTREAM 26
#define MC_RIFFTAG 27
#define MC_VBRBITRATE 30
#define MC_ENHANCEDFILTER 31
#define MC_MSTHRESHOLD 32
#define MC_GETFRAMES 15 /* MPGE_getConfigure */

/* Unit bits of MPGE_getUnitStates, from the processor's cpuid. */
#define GOGO_UNIT_FPU 0x1 /* x87 floating-point unit */
#define GOGO_UNIT_MMX 0x2
#define GOGO_UNIT_3DNOW 0x4
#define GOGO_UNIT_SSE 0x8 /* SSE (KNI) */
#define GOGO_UNIT_SSE2 0x10
#define GOGO_UNIT_EXT3DNOW 0x20 /* AMD's extended 3DNow! */

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

/* Starts a new set-up: drops any previous one (an unfinished output is removed).
 * GOGO_OK, or GOGO_ERR_BUSY while frame steps are running (a call returned 0 and the
 * encode has been neither finished nor closed). */
GOGO_API MPGE_STATUS MPGE_initializeWork(void);
/* value1 and value2 are numbers or pointers, as each setting code says. */
GOGO_API MPGE_STATUS MPGE_setConfigure(int32_t code, intptr_t value1, intptr_t value2);
/* GOGO_OK, GOGO_ERR_NOT_READY before an accepted set-up, GOGO_ERR_UNKNOWN_CODE,
 * GOGO_ERR_BAD_VALUE for a null `out`. */
GOGO_API MPGE_STATUS MPGE_getConfigure(int32_t code, void* out);
/* Checks the whole set-up: opens and parses the input, sets LAME up, creates the
 * temporary output. GOGO_OK or the status of the first problem found (20-46, 10-13). */
GOGO_API MPGE_STATUS MPGE_detectConfigure(void);
/* One frame step: about one frame of input in, one frame out. 0 = go on; GOGO_END =
 * the stream is flushed, the info frame written back, the file synced and in place;
 * 50-53, 10 = failure (the temporary is removed at once). After GOGO_END or a failure,
 * further calls return the same status again. */
GOGO_API MPGE_STATUS MPGE_processFrame(void);
/* Ends the encode: frees LAME, closes the files; an encode that did not reach GOGO_END
 * leaves no file behind. The settings stay until MPGE_endCoder or the next
 * MPGE_initializeWork. Always GOGO_OK; safe to call at any time and repeatedly. */
GOGO_API MPGE_STATUS MPGE_closeCoder(void);
/* MPGE_closeCoder, then drops the settings. Always GOGO_OK; safe to repeat. */
GOGO_API MPGE_STATUS MPGE_endCoder(void);
/* GOGO_OK with the GOGO_UNIT_* bits of this processor; GOGO_ERR_BAD_VALUE for null. */
GOGO_API MPGE_STATUS MPGE_getUnitStates(uint32_t* unit);
/* `text` must hold 512 bytes; it receives a NUL-terminated version text, such as
 * "libgogo 1.0 (LAME 3.100)". The code is GOGO_VERSION_CODE. GOGO_ERR_BAD_VALUE for
 * null pointers. */
GOGO_API MPGE_STATUS MPGE_getVersion(uint32_t* code, char* text);

/* Interface level 2.64 in the form (major << 8) | minor. */
#define GOGO_VERSION_CODE 0x0240u

#ifdef __cplusplus
}
#endif

#endif
