# pedscreen computes in the x86-64 80-bit extended format (64-bit significand)
# and reproduces its rounding bit for bit; on any other target the results
# would differ silently, so the build refuses at configure time. The
# static_assert in analysis/run_state.h says the same at compile time.
include(CheckCXXSourceCompiles)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
check_cxx_source_compiles([=[
#if !defined(__x86_64__) || __LDBL_MANT_DIG__ != 64
#error not x86-64 with the 80-bit extended long double
#endif
int main() { return 0; }
]=] PEDSCREEN_X86_64_EXTENDED)
unset(CMAKE_TRY_COMPILE_TARGET_TYPE)
if(NOT PEDSCREEN_X86_64_EXTENDED)
  message(FATAL_ERROR
    "pedscreen supports x86-64 only: its arithmetic needs the 80-bit extended "
    "long double (64-bit significand) of x86-64. This compiler targets "
    "${CMAKE_SYSTEM_PROCESSOR}.")
endif()
