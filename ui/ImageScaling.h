#pragma once

#include <windows.h>

#include <cstddef>

// Scales a square 32-bit image with straight alpha (as icon resources hold it), `from` pixels
// a side, to `to` pixels a side, bilinearly and weighting colours by their alpha, so that the
// edges of a shape do not take the colour of the transparent pixels around it. Rows of `out`
// lie `outStride` bytes apart; both images keep the same row order.
void ScaleBgraSquare(const BYTE* in, int from, BYTE* out, int to, size_t outStride);
