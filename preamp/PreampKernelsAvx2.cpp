// The kernels four values at a time. This file alone is built for AVX2 and
// FMA (and without contraction of products the code does not fuse), and
// runs only on CPUs that have both.
#include "preamp/PreampKernelsImpl.h"

namespace iplug {

PreampKernels MakeAvx2PreampKernels() { return simd::MakePreampKernels<4>(PreampKernels::kAvx2); }

} // namespace iplug
