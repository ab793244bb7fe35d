// Linked into the test programs that talk to libatspi. Their allocations are unwound in
// full under AddressSanitizer, so that a leak suppression can name the libatspi call a leak
// comes from: a fast unwind stops at g_malloc. Only these programs pay for it; the programs
// they start (Plovik, the fixture windows) keep the fast unwind.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
#endif
