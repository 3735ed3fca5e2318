# Helpers shared by every folder's CMakeLists.txt.
#
#   tolvar_portable_library(name SOURCES ...)   platform-free code, both builds
#   tolvar_native_test(name SOURCES ... [LIBS ...])        native build only
#   tolvar_wine_test(name SOURCES ... [LIBS ...] [TIMEOUT s] [QUARANTINE] [WOW64]
#                    [LOCALE ll_CC])
#        Windows build; ctest runs it under Wine (serially: tests share one
#        display and one wineserver, and global hooks see every process).
#        Label "wine": a 32-bit prefix; WOW64, label "wow64": a 64-bit prefix
#        in which 32-bit and 64-bit programs run side by side.
#        LOCALE: the program runs in that Unix locale (ja_JP: Wine's ANSI
#        code page is then 932), which the build compiles from the system's
#        locale sources (Debian's package "locales") into its own folder;
#        the other programs of the run keep the run's locale.
#        QUARANTINE labels a program that is not yet reliable on this kind of
#        machine: scripts/test.sh skips it unless TOLVAR_QUARANTINED=1.
#   tolvar_windows_program(name SOURCES ... [LIBS ...])    Windows helper exe

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(TOLVAR_WINDOWS ON)
else()
  set(TOLVAR_WINDOWS OFF)
endif()
# The 64-bit Windows build makes only the companion and its test programs;
# the 32-bit build runs it as a sub-build (hook/CMakeLists.txt).
if(TOLVAR_WINDOWS AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TOLVAR_WIN64 ON)
else()
  set(TOLVAR_WIN64 OFF)
endif()

# The two DLLs' binary form as the PE checks see it (tests/hook, tests/frame,
# tests/artefacts): exports by undecorated name, and the system DLLs they may
# import.
set(TOLVAR_HOOK_DLL_EXPORTS "SetHook;KillHook")
set(TOLVAR_HOOK_DLL_IMPORTS "kernel32.dll;user32.dll;msvcrt.dll;ntdll.dll;advapi32.dll")
set(TOLVAR_COMPANION_IMPORTS "kernel32.dll;user32.dll;msvcrt.dll")
set(TOLVAR_OPTIONS_DLL_EXPORTS "InitDLL")
set(TOLVAR_OPTIONS_DLL_IMPORTS "kernel32.dll;user32.dll;gdi32.dll;comctl32.dll;comdlg32.dll;shell32.dll;ole32.dll;oleaut32.dll;winmm.dll;msvcrt.dll;advapi32.dll")

set(TOLVAR_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
get_filename_component(TOLVAR_ROOT ${TOLVAR_ROOT} ABSOLUTE)

if(TOLVAR_WINDOWS)
  enable_language(RC)
  # Every Windows binary lands in one folder, so that test programs find the
  # DLLs beside them and the host finds its "Icons"/"Sounds" folders there;
  # the 64-bit sub-build writes into the 32-bit build's folder.
  if(NOT TOLVAR_BIN_DIR)
    set(TOLVAR_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
  endif()
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${TOLVAR_BIN_DIR})
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${TOLVAR_BIN_DIR})
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
  add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 WINVER=0x0501)
  # No MinGW runtime DLL may be needed: the hook library is mapped into
  # foreign processes, and the test programs run from a bare prefix.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Reproducible binaries: no link time stamp in the PE headers, and no
  # absolute source or build paths (assertions, __FILE__), so that two clones
  # anywhere build the same bytes.
  add_link_options(-Wl,--no-insert-timestamp)
  add_compile_options(-ffile-prefix-map=${TOLVAR_ROOT}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
else()
  option(TOLVAR_SANITIZE "Build native code with ASan and UBSan" ON)
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
  if(TOLVAR_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

macro(tolvar_add_googletest)
  set(gtest_disable_pthreads ${TOLVAR_WINDOWS} CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endmacro()

function(tolvar_portable_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${TOLVAR_ROOT} ${TOLVAR_ROOT}/include)
endfunction()

function(tolvar_native_test name)
  if(TOLVAR_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${TOLVAR_ROOT} ${TOLVAR_ROOT}/include)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS native TIMEOUT 300)
endfunction()

function(tolvar_windows_program name)
  if(NOT TOLVAR_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${TOLVAR_ROOT} ${TOLVAR_ROOT}/include)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()

function(tolvar_wine_test name)
  if(NOT TOLVAR_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(ARG "QUARANTINE;WOW64" "TIMEOUT;LOCALE" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 1200)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  # The generated folder: a test that compiles a library's resource script
  # needs the version header it includes.
  target_include_directories(${name} PRIVATE ${TOLVAR_ROOT} ${TOLVAR_ROOT}/include
                             ${TOLVAR_GENERATED_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} tolvar_wine_support)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(ARG_WOW64)
    set(world wow64)
  else()
    set(world wine)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS ${world} TIMEOUT ${ARG_TIMEOUT} RUN_SERIAL ON)
  if(ARG_QUARANTINE)
    set_property(TEST ${name} APPEND PROPERTY LABELS quarantine)
  endif()
  if(ARG_LOCALE)
    set(locales ${CMAKE_BINARY_DIR}/locale)
    set(locale ${ARG_LOCALE}.UTF-8)
    if(NOT TARGET tolvar_locale_${ARG_LOCALE})
      add_custom_command(OUTPUT ${locales}/${locale}/LC_CTYPE
        COMMAND ${CMAKE_COMMAND} -E make_directory ${locales}
        # localedef also fails on mere warnings: what counts is the result.
        COMMAND sh -c "localedef -i ${ARG_LOCALE} -f UTF-8 '${locales}/${locale}' || test -s '${locales}/${locale}/LC_CTYPE'"
        VERBATIM)
      add_custom_target(tolvar_locale_${ARG_LOCALE} DEPENDS ${locales}/${locale}/LC_CTYPE)
    endif()
    add_dependencies(${name} tolvar_locale_${ARG_LOCALE})
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
      LOCPATH=${locales} LANG=${locale} LC_ALL=${locale})
  endif()
endfunction()
