# shellcheck shell=bash disable=SC2034  # stage_failed is read by the scripts that source this
# Test stages, sourced by scripts/test and scripts/test-sanitizers (from the repository root).
# A stage configures its own build folder, builds with -j2 and runs ctest there; PrintSummary
# lists each stage's times and ends with ctest's own closing lines of every stage.

stage_rows=()     # "name|build time|test time|result"
stage_closing=()  # "name|ctest's closing lines"
stage_failed=0

Duration() {
    printf '%dm%02ds' $(($1 / 60)) $(($1 % 60))
}

# ctest's closing lines of a log: the pass count, the total time and any failed tests, without the
# per-label times.
ClosingLines() {
    sed -n '/tests passed, .* tests failed out of/,$p' "$1" |
        awk '/^Label Time Summary:/ { skip = 1; next } skip && /^$/ { skip = 0; next } !skip'
}

# RunStage NAME BUILD_DIR TARGET "CTEST ARGS" CMAKE_ARGS...
# A failed configure or build ends the whole run: later stages would only fail the same way.
RunStage() {
    local name=$1 dir=$2 target=$3 ctestArgs=$4
    shift 4
    local start=$SECONDS
    echo "==== $name: configure and build in $dir ===="
    if ! cmake -S . -B "$dir" -G Ninja "$@" || ! cmake --build "$dir" -j2 --target "$target"; then
        stage_rows+=("$name|$(Duration $((SECONDS - start)))|-|BUILD FAILED")
        stage_failed=1
        PrintSummary
        exit 1
    fi
    local built=$SECONDS
    echo "==== $name: ctest $ctestArgs ===="
    local log="$dir/ctest-stage.log" status=0
    # shellcheck disable=SC2086  # the ctest arguments are words on purpose
    (cd "$dir" && ctest -j2 --timeout 300 --output-on-failure $ctestArgs) 2>&1 | tee "$log" ||
        status=$?
    local closing
    closing=$(ClosingLines "$log")
    local counts
    counts=$(grep -o '[0-9]* tests failed out of [0-9]*' <<<"$closing" || echo "no tests ran")
    if [ "$status" -ne 0 ]; then
        stage_failed=1
        counts="FAILED: $counts"
    fi
    stage_rows+=("$name|$(Duration $((built - start)))|$(Duration $((SECONDS - built)))|$counts")
    stage_closing+=("$name|$closing")
}

# Plain build: what ships, with warnings as errors, every test and benchmark built.
PlainStage() {
    RunStage "plain (RelWithDebInfo, -Werror)" build/ci all "" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIYOUTONG_WERROR=ON
}

# The sanitizer builds: -O1 with line tables only, tests and what they run only (no benchmarks,
# no tools the tests do not start), so that each builds from scratch in a few minutes.
sanitizer_cmake_args=(
    -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1"
    -DMIYOUTONG_BUILD_BENCH=OFF
)
suppressions=$PWD/tests/sanitizers

# Every test under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer. The options
# also reach the discovery runs of the build and the programs the tests start.
AsanStage() {
    local -x ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:halt_on_error=1"
    local -x LSAN_OPTIONS="suppressions=$suppressions/lsan.supp:print_suppressions=0"
    local -x UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
    RunStage "asan+ubsan (-O1)" build/asan miyoutong_tests "" \
        "${sanitizer_cmake_args[@]}" -DMIYOUTONG_SANITIZE=address,undefined
}

# The tests that start threads (ctest label threads) under ThreadSanitizer. The region database is
# read in a forked child; it starts no threads, so the default die_after_fork=1 stays: a thread
# started after a fork would be a fault worth dying for.
TsanStage() {
    local -x TSAN_OPTIONS="suppressions=$suppressions/tsan.supp:halt_on_error=1:second_deadlock_stack=1:print_suppressions=0"
    RunStage "tsan (-O1, label threads)" build/tsan miyoutong_threads_tests "-L threads" \
        "${sanitizer_cmake_args[@]}" -DMIYOUTONG_SANITIZE=thread
}

# The libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer), each given a short
# run from its committed seeds and the inputs that once failed it (ctest label fuzz).
FuzzStage() {
    RunStage "fuzz smoke (clang, asan+ubsan)" build/fuzz miyoutong_fuzzers "-L fuzz" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DMIYOUTONG_SANITIZE=address,undefined -DMIYOUTONG_BUILD_FUZZERS=ON \
        -DMIYOUTONG_BUILD_TESTS=OFF -DMIYOUTONG_BUILD_BENCH=OFF -DMIYOUTONG_WERROR=ON
}

PrintSummary() {
    local row name build tests result entry
    echo
    echo "==== test summary ===="
    printf '%-34s %-9s %-9s %s\n' stage build tests result
    for row in "${stage_rows[@]}"; do
        IFS='|' read -r name build tests result <<<"$row"
        printf '%-34s %-9s %-9s %s\n' "$name" "$build" "$tests" "$result"
    done
    for entry in "${stage_closing[@]}"; do
        echo
        echo "---- ctest, ${entry%%|*} ----"
        echo "${entry#*|}"
    done
}
