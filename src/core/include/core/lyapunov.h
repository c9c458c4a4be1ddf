// The Lyapunov exponent of the rows: each sub-sample's λ = (1/n) Σ ln |a (1 − 2 xₖ)| over the n
// iterations its orbit made, the derivative taken at each iterate before its step, and a row's
// the mean of its sub-samples'. The same bits on every system and kernel.
#pragma once

#include "core/orbit_density.h"

// The λ of a row's sub-samples, sub-sample j at index j (the parameter of SubSampleParameter).
struct RowLyapunov {
    double lambda = 0.0;  // the sub-samples' sum in their order, divided by their number
    double least = 0.0;   // the smallest of the sub-samples'
    double most = 0.0;    // the largest
};

// A row's λ from its kSubSamples sub-samples'. A sub-sample whose orbit met 0.5 has −infinity; one without
// iterations NaN, which the row then has too.
RowLyapunov SummarizeRowLyapunov(const double* subSamples);
