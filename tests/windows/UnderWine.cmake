# Linux side of the Windows tests: cross-builds the Windows tree (this same
# source with the MinGW-w64 toolchain file) into <build>/windows as part of
# the normal build, then runs its test programs under Wine as CTest tests
# labelled `windows`, one per suite, on the display of the x11 tests'
# velmora_display fixture and in a Wine prefix of their own fixture.

find_program(VELMORA_MINGW_CXX x86_64-w64-mingw32-g++-posix)
find_program(VELMORA_WINE wine)
if(NOT VELMORA_MINGW_CXX OR NOT VELMORA_WINE OR NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message(STATUS "windows tests: MinGW-w64, Wine or the GoogleTest sources missing, skipped "
                 "(./test.sh installs them)")
  return()
endif()
if(NOT VELMORA_X11_STATE)
  message(STATUS "windows tests: no x11 display fixture, skipped")
  return()
endif()

include(ExternalProject)
set(windows_tree ${CMAKE_BINARY_DIR}/windows)
ExternalProject_Add(velmora_windows
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${windows_tree}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
             -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DVELMORA_WERROR=${VELMORA_WERROR}
             -DVELMORA_BUILD_BENCH=OFF
  # Its own build decides what is out of date.
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")

set(wine_prefix ${CMAKE_CURRENT_BINARY_DIR}/wineprefix)
set(scripts ${CMAKE_CURRENT_SOURCE_DIR})
set(programs ${windows_tree}/tests)

add_test(NAME windows.prefix.start COMMAND ${scripts}/wine_prefix.sh start ${VELMORA_X11_STATE} ${wine_prefix})
add_test(NAME windows.prefix.stop COMMAND ${scripts}/wine_prefix.sh stop ${VELMORA_X11_STATE} ${wine_prefix})
set_tests_properties(windows.prefix.start PROPERTIES FIXTURES_SETUP velmora_wine_prefix
  FIXTURES_REQUIRED velmora_display LABELS windows TIMEOUT 120)
set_tests_properties(windows.prefix.stop PROPERTIES FIXTURES_CLEANUP velmora_wine_prefix
  FIXTURES_REQUIRED velmora_display LABELS windows TIMEOUT 60)

add_test(NAME windows.imports COMMAND ${scripts}/check_imports.sh ${windows_tree})
set_tests_properties(windows.imports PROPERTIES LABELS windows TIMEOUT 60)

# name | program under tests of the Windows tree | gtest filter
function(velmora_wine_test name program filter)
  add_test(NAME windows.${name}
    COMMAND ${scripts}/run_under_wine.sh ${VELMORA_X11_STATE} ${wine_prefix} ${programs}/${program}.exe
            --gtest_filter=${filter})
  # A filter that matches nothing must not pass as an empty success.
  set_tests_properties(windows.${name} PROPERTIES
    LABELS windows TIMEOUT 300 FIXTURES_REQUIRED "velmora_display;velmora_wine_prefix"
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [1-9]"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()

# The toolkit-free suites, built for Windows.
foreach(suite form settings engine model_main model_about model_settings soak)
  velmora_wine_test(${suite} test_${suite} "*")
endforeach()
# The native views and the program's message-loop glue on real windows.
velmora_wine_test(ui_win32 test_ui_win32 "*")
velmora_wine_test(app_windows test_app_windows "*")
# The Windows backend against the real system.
velmora_wine_test(registry test_platform_windows "Registry.*")
velmora_wine_test(launch test_platform_windows "Launch*.*:FileDialogFilter.*")
# Focus, NumLock and the top-most rank: alone on the display.
velmora_wine_test(desktop test_platform_windows "Desktop.*")
set_tests_properties(windows.desktop PROPERTIES RUN_SERIAL ON)

# The real velmora.exe driven from outside (tests/windows/program), in places
# of their own: one for the tests that click and read the screen, taking
# turns, and one for the desktop features, whose 301 s wait for a real pulse
# runs beside everything else.
set(program_scripts ${scripts}/program)
set(program_artifacts ${CMAKE_CURRENT_BINARY_DIR}/artifacts)
foreach(place program desktop)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/place-${place})
  add_test(NAME windows.${place}.start COMMAND ${program_scripts}/wine_place.sh start ${dir})
  add_test(NAME windows.${place}.stop COMMAND ${program_scripts}/wine_place.sh stop ${dir})
  set_tests_properties(windows.${place}.start PROPERTIES FIXTURES_SETUP velmora_wine_${place}
    LABELS windows TIMEOUT 120)
  set_tests_properties(windows.${place}.stop PROPERTIES FIXTURES_CLEANUP velmora_wine_${place}
    LABELS windows TIMEOUT 60)
endforeach()

# name | place | gtest filter | timeout
function(velmora_program_test name place filter timeout)
  add_test(NAME windows.program.${name}
    COMMAND ${program_scripts}/wine_place.sh run ${CMAKE_CURRENT_BINARY_DIR}/place-${place}
            ${programs}/windows/program/test_program.exe --gtest_filter=${filter})
  set_tests_properties(windows.program.${name} PROPERTIES
    LABELS windows TIMEOUT ${timeout} FIXTURES_REQUIRED velmora_wine_${place}
    RESOURCE_LOCK wine_${place} ENVIRONMENT VELMORA_ARTIFACT_DIR=${program_artifacts}
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [1-9]"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()

velmora_program_test(pass program RealPass.* 180)
velmora_program_test(settings program SettingsByHand.* 90)
velmora_program_test(about program AboutWindows.* 90)
velmora_program_test(ending program FromOutside/Ends.* 90)
velmora_program_test(focus program KeysWhereTyped.* 90)
velmora_program_test(reader program ScreenReader.* 90)
velmora_program_test(desktop desktop Desktop.* 420)

# The installer and zip made from this velmora.exe, installed and removed
# under Wine in a prefix and on a display of the test's own.
add_test(NAME windows.installer
  COMMAND env -u DISPLAY ${scripts}/installer/installer_test.sh ${windows_tree}/src/velmora.exe)
set_tests_properties(windows.installer PROPERTIES LABELS "windows;package" TIMEOUT 300
  PASS_REGULAR_EXPRESSION "installer: [1-9][0-9]* passed, 0 failed" FAIL_REGULAR_EXPRESSION "FAIL:")
