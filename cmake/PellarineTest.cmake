# Registers one QtTest executable with CTest. Every test runs on the offscreen platform with a
# home and config folder of its own, so nothing of the developer's settings leaks in or out.
# RUN_UNDER names a program that starts the test (a session bus of its own, say).
function(pellarine_add_test source)
  cmake_parse_arguments(test "" "" "RUN_UNDER" ${ARGN})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE pellarine_testsupport)
  add_test(NAME ${name} COMMAND ${test_RUN_UNDER} $<TARGET_FILE:${name}>)
  set(home ${CMAKE_BINARY_DIR}/testhome/${name})
  file(MAKE_DIRECTORY ${home})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/.config;XDG_RUNTIME_DIR=;TEMP="
    TIMEOUT 600)
  add_dependencies(${name} pellarine_data)
endfunction()
