# One layer's include check, run by ctest as a script: with exactly the include folders the
# layer's library compiles with, every header in ALLOWED must compile and every header in REFUSED
# must be refused as not found. The allowed headers prove that the compiler, the flags and the
# root work, so a refusal means the root hides the header, not that something else broke; a
# refused header must exist in the source tree, so moving it cannot make the check pass unseen.
#   -DCOMPILER=... -DINCLUDES=a|b -DSOURCE_ROOT=<src> -DWORK=<folder> -DALLOWED=x.h|y.h -DREFUSED=z.h
foreach(required COMPILER INCLUDES SOURCE_ROOT WORK ALLOWED REFUSED)
  if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
    message(FATAL_ERROR "check_layer_include: ${required} is not set")
  endif()
endforeach()
string(REPLACE "|" ";" includes "${INCLUDES}")
string(REPLACE "|" ";" allowed "${ALLOWED}")
string(REPLACE "|" ";" refused "${REFUSED}")
set(flags -std=c++17 -fsyntax-only)
foreach(folder ${includes})
  list(APPEND flags -I${folder})
endforeach()
file(MAKE_DIRECTORY ${WORK})

function(compile_probe header result_var output_var)
  string(MAKE_C_IDENTIFIER "${header}" probe_name)
  set(probe ${WORK}/${probe_name}.cpp)
  file(WRITE ${probe} "#include \"${header}\"\n")
  execute_process(COMMAND ${COMPILER} ${flags} ${probe} RESULT_VARIABLE result
                  OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${result_var} ${result} PARENT_SCOPE)
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

foreach(header ${allowed})
  compile_probe(${header} result output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${header} should compile with this layer's includes and does not:\n${output}")
  endif()
endforeach()

foreach(header ${refused})
  if(NOT EXISTS ${SOURCE_ROOT}/${header})
    message(FATAL_ERROR "${header} is not in the source tree: the check would prove nothing")
  endif()
  compile_probe(${header} result output)
  if(result EQUAL 0)
    message(FATAL_ERROR "${header} compiles with this layer's includes: the layer can reach it")
  endif()
  # GCC: "<header>: No such file or directory"; Clang: "'<header>' file not found".
  string(FIND "${output}" "${header}" named)
  if(named EQUAL -1 OR NOT output MATCHES "No such file or directory|file not found")
    message(FATAL_ERROR "${header} failed for another reason than being out of reach:\n${output}")
  endif()
endforeach()
message(STATUS "allowed: ${allowed}; refused: ${refused}")
