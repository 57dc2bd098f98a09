// The batched kernel for every x86-64 processor (SSE2 lanes).
#include "vx9fastkernel.h"

VX9_FAST_KERNEL(ProcessFastBaseline)
