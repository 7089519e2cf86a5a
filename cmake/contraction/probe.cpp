// a * b + c compiled with contraction allowed, on a processor with fused
// multiply-add: its object code must hold a fused instruction, which shows
// that the scan in check.cmake recognises them on this target.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("fma")))
#endif
double vardellineContractionProbe(double a, double b, double c) {
    return a * b + c;
}
