// sin, cos and exp of our own, built from IEEE additions, multiplications and
// divisions only, so that they give the same bits on every platform (the
// platforms' maths libraries differ in the last bit, and mingw's x87-based
// ones by more). Errors stay below one unit in the last place.
#pragma once

namespace vardelline {

double portableSin(double x);
// Eight sines at once, each bit for bit the scalar result.
void portableSinLanes(const double (&x)[8], double (&out)[8]);
double portableCos(double x);
double portableExp(double x);

}  // namespace vardelline
