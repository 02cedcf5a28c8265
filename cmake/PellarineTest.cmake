# Registers one QtTest executable with CTest. Every test runs on the offscreen platform with a
# home and config folder of its own, so nothing of the developer's settings leaks in or out.
function(pellarine_add_test source)
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE pellarine_testsupport)
  add_test(NAME ${name} COMMAND ${name})
  set(home ${CMAKE_BINARY_DIR}/testhome/${name})
  file(MAKE_DIRECTORY ${home})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/.config;XDG_RUNTIME_DIR=;TEMP="
    TIMEOUT 600)
  add_dependencies(${name} pellarine_data)
endfunction()
