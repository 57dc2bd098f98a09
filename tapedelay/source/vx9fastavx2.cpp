// The batched kernel for processors with AVX2.
#include "vx9fastkernel.h"

VX9_FAST_KERNEL(ProcessFastAvx2)
