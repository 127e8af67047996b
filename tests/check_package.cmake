cmake_minimum_required(VERSION 3.20)
# cmake -DBUILD=<build dir> -DOUT=<scratch dir> -P check_package.cmake
# Builds the Windows ZIP package and fails unless it holds exactly the tool and the README
# at its top level and the simulator in its own folder.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config ${BUILD}/CPackConfig.cmake -B ${OUT}
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()
file(GLOB zips ${OUT}/*.zip)
list(LENGTH zips count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one ZIP in ${OUT}, found: ${zips}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zips} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot list ${zips}")
endif()
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
list(FILTER entries EXCLUDE REGEX "/$")  # folders
list(SORT entries)
set(expected README.md brenvik_capture.exe brenvik_preview.exe simulator/Brenvik.dll simulator/README.txt)
if(NOT entries STREQUAL expected)
  message(FATAL_ERROR "package holds: ${entries}\nexpected:      ${expected}")
endif()
message(STATUS "package holds: ${entries}")
