// Options of the sanitizers, built into every test program of a sanitizer build so that they
// hold however it is run (by ctest, by test discovery, or by hand). Environment variables of
// the same names still win.
#ifndef VT_LSAN_SUPPRESSIONS
#error "VT_LSAN_SUPPRESSIONS names the leak suppressions file"
#endif

extern "C" {

__attribute__((visibility("default"), used)) const char* __asan_default_options()
{
    // No allocation the program makes comes near 4 GB (a grab is 512 MB at most as decoded):
    // one that asks for more is a fault, reported instead of quietly reserved.
    return "detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:"
           "check_initialization_order=1:max_allocation_size_mb=4096";
}

__attribute__((visibility("default"), used)) const char* __lsan_default_options()
{
    return "suppressions=" VT_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

__attribute__((visibility("default"), used)) const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

} // extern "C"
