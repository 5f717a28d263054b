# Release builds carry the hardening that Debian's dpkg-buildflags gives its
# packages with hardening=+all: fortified C library calls, the strong stack
# protector, format checks, a position-independent executable, and a
# relocation table made read-only and bound at start-up. PIE is asked for
# explicitly because clang 14, unlike Debian's g++, does not default to it.
option(ZA2VU_HARDENING "Build Release with Debian's hardening flags" ON)
if(ZA2VU_HARDENING AND CMAKE_BUILD_TYPE STREQUAL "Release")
  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  add_compile_definitions(_FORTIFY_SOURCE=2)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
