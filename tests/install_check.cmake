# Installs the build into a fresh prefix and checks that everything landed
# under it. Run by ctest: cmake -DBUILD=<build dir> -DPREFIX=<dir> -P this file.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path bin/pedscreen bin/pedscreen-plot share/man/man1/pedscreen.1
             share/man/man1/pedscreen-plot.1)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed under the prefix: ${path}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
