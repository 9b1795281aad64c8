#!/usr/bin/env bash
# Builds everything (the benchmark too, so that it keeps compiling) and runs every test, by the
# command hosted CI runs elsewhere: cmake --workflow --preset test. Warnings are errors when CI is
# set (the presets read it). Of its output, what CMake and the compilers say passes on, and ctest's
# report: a line per test program and its summary, a failing program's output after its line (the
# failed cases, each in full). The build shows its progress, only when there is something to build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# The build's progress: on a terminal one line redrawn in place, elsewhere (CI, a log) a line at
# each quarter; then how long it took. Nothing when there was nothing to build.
progress() {  # percent done, what is being done
    local text
    [ "$1" -gt "$percent" ] && percent=$1
    text=$(printf '  %3d %% built, %d s' "$percent" "$((SECONDS - started))")
    if [ -t 1 ]; then
        text="$text: $2"
        printf '\r\033[K%s' "${text:0:$((${COLUMNS:-$(tput cols 2>/dev/null || echo 80)} - 1))}"
    elif [ "$percent" -ge "$((shown + 25))" ] && [ "$percent" -lt 100 ]; then
        shown=$((percent / 25 * 25))
        echo "$text"
    fi
}

end_progress() {  # whether the build is done, not stopped by an error
    [ "$percent" -ge 0 ] || return 0
    [ -t 1 ] && printf '\r\033[K'
    if [ "$1" = done ]; then
        printf '  built in %d s\n' "$((SECONDS - started))"
    elif [ -t 1 ]; then
        echo
    fi
    percent=-1
}

brief() {
    local line step="" previous="" done
    started=$SECONDS percent=-1 shown=0
    while IFS= read -r line || [ -n "$line" ]; do
        case $step:$line in
        *:"Executing workflow step "*)
            end_progress done
            step=${line#*: }
            step=${step%% *}
            ;;
        configure:"" | configure:"Preset CMake variables:" | configure:--* | build:"" | \
            build:"["*"] Built target "*) ;;
        test:"") [[ $previous == "Executing workflow step "* ]] || echo ;;
        configure:*) [[ $line =~ ^\ \ [A-Za-z_]+=\".*\"$ ]] || echo "$line" ;;
        build:"["*"] "*)  # make's [ 42%], ninja's [12/40]
            done=${line%%]*}
            done=${done#[}
            if [[ $done == */* ]]; then
                progress "$((${done%/*} * 100 / ${done#*/}))" "${line#*] }"
            else
                progress "$((${done%\%}))" "${line#*] }"
            fi
            ;;
        *)
            [ "$percent" -ge 0 ] && [ -t 1 ] && echo
            echo "$line"
            ;;
        esac
        previous=$line
    done
    end_progress stopped
}

echo "Building the program, its tests and the benchmark in build/test, then testing..."
# The presets leave the parallelism to cmake and ctest, which take it from these.
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-$(nproc)}"
cmake --workflow --preset test 2>&1 | brief
