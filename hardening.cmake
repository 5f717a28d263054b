# Release builds carry the hardening that Debian's dpkg-buildflags gives its
# packages with hardening=+all: fortified C library calls, the strong stack
# protector, format checks, a position-independent executable, and a
# relocation table made read-only and bound at start-up. PIE is asked for
# explicitly because clang 14, unlike Debian's g++, does not default to it.
# Some toolchains define _FORTIFY_SOURCE themselves
# whenever they optimise: defining it again would be a warning, which -Werror
# turns into a failed build, so it is defined only where it is not already.
option(ZA2VU_HARDENING "Build Release with Debian's hardening flags" ON)
if(ZA2VU_HARDENING AND CMAKE_BUILD_TYPE STREQUAL "Release")
  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS "${CMAKE_CXX_FLAGS_RELEASE}")
  check_cxx_source_compiles("
    #ifdef _FORTIFY_SOURCE
    #error the toolchain defines _FORTIFY_SOURCE
    #endif
    int main() {}" za2vu_fortify_undefined)
  unset(CMAKE_REQUIRED_FLAGS)
  if(za2vu_fortify_undefined)
    add_compile_definitions(_FORTIFY_SOURCE=2)
  endif()
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
