# Prints the core library's source files, for every platform, one per line
# (from src/Sources.cmake): cmake -P scripts/core-sources.cmake
foreach(QV_PLATFORM Posix Windows)
  include(${CMAKE_CURRENT_LIST_DIR}/../src/Sources.cmake)
  list(APPEND files ${QV_CORE_SOURCES} ${QV_JET_SOURCES} ${QV_NO_JET_SOURCES})
endforeach()
list(REMOVE_DUPLICATES files)
list(TRANSFORM files PREPEND src/)
list(JOIN files "\n" text)
execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${text}")
