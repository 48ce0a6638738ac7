# cmake -P script: install BUILD_DIR into a fresh prefix, then configure,
# build and run the consumer project against that prefix only.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

if(NOT EXISTS ${prefix}/lib/cmake/Corvane/CorvaneConfig.cmake)
  message(FATAL_ERROR "no package configuration installed under ${prefix}")
endif()
foreach(doc LICENSE THIRD_PARTY.md)
  if(NOT EXISTS ${prefix}/share/doc/corvane/${doc})
    message(FATAL_ERROR "${doc} not installed under ${prefix}/share/doc/corvane")
  endif()
endforeach()

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer -G ${GENERATOR}
  -DCMAKE_PREFIX_PATH=${prefix}
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
  -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  -DCMAKE_C_COMPILER=${C_COMPILER}
  -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
  "-DCMAKE_CXX_FLAGS=${SANITIZE_FLAGS}"
  "-DCMAKE_EXE_LINKER_FLAGS=${SANITIZE_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${WORK_DIR}/consumer/corvane_consumer)
if(NOT last_output MATCHES "consumer ok")
  message(FATAL_ERROR "consumer did not report success: ${last_output}")
endif()
message(STATUS "${last_output}")
