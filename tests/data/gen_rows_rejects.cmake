# cmake -DGEN_ROWS=<gen_rows> -DGPU=<gpu.txt> -DWORK=<scratch dir> -P gen_rows_rejects.cmake
#
# gen_rows must fail on a list with a broken row, name the row as file:line,
# and remove a stale output so nothing old gets compiled.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(cpu ${WORK}/broken_cpu.txt)
set(out ${WORK}/ranking_rows.cpp)
file(WRITE ${cpu}
  "|C1   |AMD Ryzen Threadripper 3970X            |47956|\n"
  "|C3   |AMD EPYC 774                            |47281|\n")
file(WRITE ${out} "// stale\n")

execute_process(COMMAND ${GEN_ROWS} ${out} ${cpu} ${GPU}
                RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_VARIABLE out_text)
if(status EQUAL 0)
  message(FATAL_ERROR "gen_rows accepted a broken list:\n${err}")
endif()
if(NOT err MATCHES "broken_cpu\\.txt:2: the rank number is 3, but line 2 must hold rank 2")
  message(FATAL_ERROR "gen_rows did not report broken_cpu.txt:2:\n${err}")
endif()
if(err MATCHES "gpu\\.txt:")
  message(FATAL_ERROR "gen_rows reported faults in the sound GPU list:\n${err}")
endif()
if(EXISTS ${out})
  message(FATAL_ERROR "gen_rows left the stale ${out} behind")
endif()
message(STATUS "gen_rows failed as expected (status ${status}):\n${err}")
