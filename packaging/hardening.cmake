# Debian's hardening of the optimised builds, as dpkg-buildflags gives it: fortified C library
# calls, the stack protector, format checks, and relocations made read-only and bound at start.
# The tests run the same executables the package ships. The build type keeps choosing the
# optimisation and the debug information, and source paths stay whole for the debugger.
# Left out of the sanitizer and fuzzing builds, and of Debug builds (fortifying needs -O).
option(AMISCAN_DPKG_BUILDFLAGS "Add the hardening flags of dpkg-buildflags, where it exists" ON)
find_program(AMISCAN_DPKG_BUILDFLAGS_PROGRAM dpkg-buildflags)
if(AMISCAN_DPKG_BUILDFLAGS AND AMISCAN_DPKG_BUILDFLAGS_PROGRAM AND NOT AMISCAN_SANITIZE
   AND NOT AMISCAN_FUZZ AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    # "+all" adds binding at start (-z now), which Debian leaves off by default.
    set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all reproducible=-fixfilepath,-fixdebugpath")
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(COMMAND ${AMISCAN_DPKG_BUILDFLAGS_PROGRAM} --get ${kind}
            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        list(FILTER flags EXCLUDE REGEX "^-(g|O.*)$")
        set(AMISCAN_DPKG_${kind} ${flags})
    endforeach()
    add_compile_options(${AMISCAN_DPKG_CPPFLAGS} ${AMISCAN_DPKG_CXXFLAGS})
    add_link_options(${AMISCAN_DPKG_LDFLAGS})
    list(JOIN AMISCAN_DPKG_CPPFLAGS " " preprocess)
    list(JOIN AMISCAN_DPKG_CXXFLAGS " " compile)
    list(JOIN AMISCAN_DPKG_LDFLAGS " " link)
    message(STATUS "Hardening flags: ${preprocess} ${compile} ${link}")
endif()
