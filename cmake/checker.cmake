# The Windows-rules checker (test support, tests/checker/dll): zorcheck.dll exports wrappers
# under the platform functions' names; its import library, linked after the project's own
# libraries and ahead of the system ones, sends a checked build's calls to those wrappers.
# The release ZorUtility.dll and ace32.dll, the packages and the benchmarks carry none of it.
set(ZOR_CHECKED_DIR "${CMAKE_BINARY_DIR}/checked")
set(ZOR_CHECKER_SRC "${CMAKE_SOURCE_DIR}/tests/checker/dll")
file(STRINGS "${ZOR_CHECKER_SRC}/calls.txt" calls REGEX "^[a-z0-9]+ ")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${ZOR_CHECKER_SRC}/calls.txt")
set(exports "LIBRARY zorcheck.dll\nEXPORTS\n  zorcheck_take\n")
set(imports "LIBRARY zorcheck.dll\nEXPORTS\n")
foreach(call IN LISTS calls)
  string(REGEX REPLACE "^[^ ]+ ([^ ]+) ([0-9]+)$" "\\1;\\2" call "${call}")
  list(GET call 0 name)
  list(GET call 1 bytes)
  string(APPEND exports "  ${name}=chk_${name}\n")
  # i686 callers reference the stdcall-decorated name (__imp__CreateFileW@28).
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    string(APPEND imports "  ${name}@${bytes}\n")
  else()
    string(APPEND imports "  ${name}\n")
  endif()
endforeach()
file(CONFIGURE OUTPUT "${GEN}/zorcheck.def" CONTENT "${exports}")
file(CONFIGURE OUTPUT "${GEN}/zorcheck-calls.def" CONTENT "${imports}")

add_library(zorcheck SHARED "${ZOR_CHECKER_SRC}/zorcheck.cpp" "${GEN}/zorcheck.def")
set_target_properties(zorcheck PROPERTIES PREFIX "" OUTPUT_NAME zorcheck
  RUNTIME_OUTPUT_DIRECTORY "${ZOR_CHECKED_DIR}" ARCHIVE_OUTPUT_DIRECTORY "${ZOR_CHECKED_DIR}")
target_link_libraries(zorcheck PRIVATE ntdll advapi32 user32 kernel32)
target_link_options(zorcheck PRIVATE ${ZOR_LINK_FLAGS} -Wl,--enable-stdcall-fixup)
# The test programs import it too: a copy beside them.
add_custom_command(TARGET zorcheck POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/tests"
  COMMAND ${CMAKE_COMMAND} -E copy "${ZOR_CHECKED_DIR}/zorcheck.dll" "${CMAKE_BINARY_DIR}/tests/zorcheck.dll" VERBATIM)

string(REGEX REPLACE "-gcc.*$" "-dlltool" ZOR_CHECK_DLLTOOL "${CMAKE_C_COMPILER}")
set(ZOR_CHECK_CALLS "${ZOR_CHECKED_DIR}/libzorcheck-calls.a")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(kill --kill-at)
endif()
add_custom_command(OUTPUT "${ZOR_CHECK_CALLS}"
  COMMAND ${ZOR_CHECK_DLLTOOL} --def "${GEN}/zorcheck-calls.def" --dllname zorcheck.dll --output-lib "${ZOR_CHECK_CALLS}" ${kill}
  DEPENDS "${GEN}/zorcheck-calls.def" VERBATIM)
add_custom_target(zorcheck_calls_lib DEPENDS "${ZOR_CHECK_CALLS}" zorcheck)
# Linked after the project's static libraries (a static library's calls are resolved only by
# archives that follow it) and before the system libraries: zor_runtime names it for targets
# with the ZOR_CHECKED property.
add_library(zorcheck_calls INTERFACE)
target_link_libraries(zorcheck_calls INTERFACE "${ZOR_CHECK_CALLS}")
add_dependencies(zorcheck_calls zorcheck_calls_lib)
