// The batched kernel for processors with AVX-512.
#include "vx9fastkernel.h"

VX9_FAST_KERNEL(ProcessFastAvx512)
