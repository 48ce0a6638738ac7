// The curve runs that follow the C library's FMA build of tanh. This file
// alone is compiled with FMA (and without contraction of other products);
// it runs only on CPUs that have FMA.
#include "preamp/CurveRunKernels.h"

namespace iplug {

void MicCurveRunFused(double* v, int count) { tanh_pair::RunPairs<tanh_pair::MicPair<true>>(v, count); }

void LineCurveRunFused(double* v, int count) { tanh_pair::RunPairs<tanh_pair::LinePair<true>>(v, count); }

void TanhRunFused(double* v, int count) { tanh_pair::RunPairs<tanh_pair::TanhPair<true>>(v, count); }

} // namespace iplug
