# Fails when the object code of the libraries that compute the sound holds a
# fused multiply-add: one rounding instead of two changes the output bits,
# and GCC fuses a * b + c by default on ARM64 (and on x86 in functions built
# for AVX-512). The probe, compiled with contraction allowed, must hold one,
# or the scan would not recognise them on this target.
#   cmake -DOBJDUMP=... -DPROBE=probe.o -DLIBRARIES=a.a,b.a -DSTAMP=file -P check.cmake
set(fused "[ \t](v?fn?m(add|sub)[0-9a-z.]*|fml[as])[ \t]")

function(fused_instructions file result)
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${file}
                  OUTPUT_VARIABLE listing RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${file}: ${error}")
  endif()
  string(REGEX MATCHALL "[^\n]*${fused}[^\n]*" found "${listing}")
  set(${result} "${found}" PARENT_SCOPE)
endfunction()

fused_instructions(${PROBE} probe)
if(NOT probe)
  message(FATAL_ERROR "The contraction probe holds no fused multiply-add: the scan does not know this target's")
endif()
string(REPLACE "," ";" LIBRARIES "${LIBRARIES}")
foreach(library ${LIBRARIES})
  fused_instructions(${library} found)
  if(found)
    list(LENGTH found count)
    list(GET found 0 first)
    message(FATAL_ERROR "${library} holds ${count} fused multiply-add instructions (first:${first}): "
                        "the engine must be compiled with -ffp-contract=off")
  endif()
endforeach()
file(TOUCH ${STAMP})
