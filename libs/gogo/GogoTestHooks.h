/* Test seam of libgogo, for its own tests only; not part of the encoder interface.
 * Any thread. */
#ifndef TOVANEK_GOGO_TEST_HOOKS_H
#define TOVANEK_GOGO_TEST_HOOKS_H

#include <stdint.h>

#include "gogo.h"

#ifdef __cplusplus
extern "C" {
#endif

/* From now on, every output file behaves as if the disk were full once `bytes` bytes have
 * reached it. -1 switches this off again. */
GOGO_API void gogo_testFailWritesAfter(int64_t bytes);

#ifdef __cplusplus
}
#endif

#endif
