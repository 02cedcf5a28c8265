# The part of this folder that runs inside the batch interpreter around Ghostscript: the
# confinement, the ceiling, Ghostscript's environment, its temporary folder and the log's format.
# Plain C++ without Qt, so the interpreter, which links it, builds for any processor.
set(confine_root ${CMAKE_BINARY_DIR}/include/rasterise)
file(MAKE_DIRECTORY ${confine_root})
file(CREATE_LINK ${CMAKE_CURRENT_LIST_DIR} ${confine_root}/rasterise SYMBOLIC)
add_library(pellarine_confine STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ceiling.cpp ${CMAKE_CURRENT_LIST_DIR}/ceiling.h
  ${CMAKE_CURRENT_LIST_DIR}/confine.cpp ${CMAKE_CURRENT_LIST_DIR}/confine.h
  ${CMAKE_CURRENT_LIST_DIR}/environment.cpp ${CMAKE_CURRENT_LIST_DIR}/environment.h
  ${CMAKE_CURRENT_LIST_DIR}/logformat.h
  ${CMAKE_CURRENT_LIST_DIR}/tempfolder.cpp ${CMAKE_CURRENT_LIST_DIR}/tempfolder.h)
target_include_directories(pellarine_confine PUBLIC ${confine_root})
set_target_properties(pellarine_confine PROPERTIES AUTOMOC OFF)
if(PELLARINE_SANITIZE)
  # It runs under Ghostscript's memory ceiling, which AddressSanitizer's shadow memory would
  # exceed; UndefinedBehaviorSanitizer needs none.
  target_compile_options(pellarine_confine PRIVATE -fno-sanitize=address)
endif()
