# A short fuzzing run of one target: its seeds and regression inputs, then mutations of them for
# RUNS executions (or 60 s). New inputs go to a fresh work folder, never into the committed ones.
#   cmake -DFUZZER=... -DRUNS=... -DSEEDS=... -DREGRESSION=... -DWORK=... -P smoke.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(corpora ${WORK} ${SEEDS})
if(IS_DIRECTORY ${REGRESSION})
    list(APPEND corpora ${REGRESSION})
endif()
execute_process(
    COMMAND ${FUZZER} -runs=${RUNS} -max_total_time=60 -timeout=10 -rss_limit_mb=2048
            -artifact_prefix=${WORK}/ -print_final_stats=1 ${corpora}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); the input that failed is in ${WORK}/")
endif()
