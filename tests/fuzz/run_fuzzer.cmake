# Runs one fuzz target for SECONDS on a fresh copy of its seed corpus in WORK, so that the
# inputs it finds never land in the source tree. A crash input is kept in WORK.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${SEEDS}/" DESTINATION "${WORK}/corpus")
execute_process(
    COMMAND "${FUZZER}" -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
            -print_final_stats=1 "-artifact_prefix=${WORK}/" "${WORK}/corpus"
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE result
    OUTPUT_FILE "${WORK}/log.txt"
    ERROR_FILE "${WORK}/log.txt")
file(STRINGS "${WORK}/log.txt" log)
list(FILTER log INCLUDE REGEX "^Done [0-9]+ runs")
get_filename_component(name "${FUZZER}" NAME)
if(NOT result EQUAL 0)
    file(READ "${WORK}/log.txt" text)
    string(LENGTH "${text}" length)
    if(length GREATER 12000)
        math(EXPR start "${length} - 12000")
        string(SUBSTRING "${text}" ${start} -1 text)
    endif()
    file(GLOB artifacts "${WORK}/crash-*" "${WORK}/leak-*" "${WORK}/timeout-*" "${WORK}/oom-*")
    message(FATAL_ERROR "${name} failed (${result}); input: ${artifacts}\n${text}")
endif()
message(STATUS "${name}: ${log}")
