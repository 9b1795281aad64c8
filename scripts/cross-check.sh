#!/usr/bin/env bash
# Builds the program for other platforms and runs it here: Windows x86-64 (mingw-w64, under wine),
# Linux aarch64 and i686 (under qemu-user; i686 on this processor too where the kernel runs it) and
# clang with libc++. For every entry below each must print what the native build prints, once CR LF
# and the sign of NaN are set aside, and give a price with the same bits; then each runs its tests
# through its test preset, under its emulator.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh cmake g++ make libgtest-dev libbenchmark-dev googletest clang \
    libc++-dev libc++abi-dev g++-mingw-w64-x86-64-posix wine g++-aarch64-linux-gnu \
    libgtest-dev:arm64 g++-i686-linux-gnu qemu-user

export WINEPREFIX="$PWD/build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine 10 (Debian 13) says on every run that this is unset, where nothing has set it (CI, a chroot).
[ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR="$PWD/build/wine-runtime"
mkdir -p -m 700 "${XDG_RUNTIME_DIR}"
trap 'wineserver -k 2>/dev/null || true' EXIT

# name | preset | file suffix | how to run its programs on this machine
targets=(
    "windows|windows-x64-mingw|.exe|wine"
    "aarch64|linux-aarch64||qemu-aarch64 -L /usr/aarch64-linux-gnu"
    "i686|linux-i686||"  # on this processor, where the kernel runs 32-bit x86 programs
    "i686-qemu|linux-i686||qemu-i386 -L /usr/i686-linux-gnu"
    "libc++|libcxx||"
)

# Typed at the prompts, closing entry included; printf %b reads the escapes.
entries=(
    '0.25 200 195 0.30 0.05 1000 0 1'
    '0.25 200 195 0.30 0.05 1000 1 1'
    '0.25 200 195 0 0.05 1000 1 1'
    '0.25 190 195 0 0.05 1000 0 1'
    '0 200 195 0.30 0.05 1000 1 1'
    '0.25 200 195 -0.30 0.05 1000 0 1'
    '-0.25 200 195 0.30 0.05 1000 0 1'
    '-0.25 200 195 0.30 0.05 1000 1 1'
    '0.25 200 195 0.30 0.05 0 0 1'
    '0.25 200 195 0.30 0.05 1 0 1'
    '0.25 200 195 0.30 0.05 1 1 1'
    '0.25 200 195 0.30 0.05 257 0 1'
    '0.25 200 195 0.30 0.05 257 1 1'
    '0.25 200 195 0.30 0.05 100000 0 1'
    '0.25 200 195 0.30 0.05 100000 1 1'
    '1 100 100 0.2 0.03 100000 0 1'
    '2.5 80 120 0.6 0.1 10000 1 1'
    'x'
    '0.25 200 q'
    '0.25 200 195 0.30 0.05 p'
    '0.25 200 195 0.30 0.05 1000 p'
    '0.25 200 195 0.30 0.05 1000 0 x'
    '\n\n  0.25\n\t200 195\n\n0.30 0.05\n 1000 0\n\n1'
)

build() {  # preset, cmake --build's options
    local preset=$1 log="build/$1.log"
    shift
    mkdir -p build
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j"$jobs" "$@"; } \
        >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "cross-check: building $preset failed"
        exit 1
    fi
}

# What the program printed and the price's bits, for one entry, with CR and NaN's sign taken out.
run() {  # directory, suffix, runner, entry
    local runner
    read -r -a runner <<<"$3"
    printf '%b\n' "$4" | "${runner[@]}" "$1/app/price_option$2" | tr -d '\r' | sed -E 's/-nan$/nan/'
    echo
    printf '%b\n' "$4" | "${runner[@]}" "$1/tools/price_bits$2" | tr -d '\r' |
        sed -E 's/^[7f]ff[89a-f].*/nan/'
}

echo "building: native and the others"
build test --target price_option price_bits
presets=()
for t in "${targets[@]}"; do
    IFS='|' read -r name preset suffix runner <<<"$t"
    [[ " ${presets[*]} " == *" $preset "* ]] || presets+=("$preset")
done
for preset in "${presets[@]}"; do
    build "$preset"
done

wine wineboot --init 2>/dev/null  # makes the prefix before anything's output is read

runnable=()
for t in "${targets[@]}"; do
    IFS='|' read -r name preset suffix runner <<<"$t"
    if [ -n "$runner" ] || "build/$preset/tools/price_bits$suffix" </dev/null >/dev/null 2>&1; then
        runnable+=("$t")
    else
        echo "($name: this machine does not run it; left out)"
    fi
done

printf '%-50s %-10s %-16s' "entries" "price" "bits"
for t in "${runnable[@]}"; do printf ' %-9s' "${t%%|*}"; done
echo
passed=0
failed=0
for entry in "${entries[@]}"; do
    native=$(run build/test "" "" "$entry")
    price=$(tail -n 2 <<<"$native" | head -n 1)
    printf '%-50s %-10s %-16s' "$entry" "${price#the price is }" "$(tail -n 1 <<<"$native")"
    for t in "${runnable[@]}"; do
        IFS='|' read -r name preset suffix runner <<<"$t"
        if [ "$(run "build/$preset" "$suffix" "$runner" "$entry")" = "$native" ]; then
            printf ' %-9s' same
            passed=$((passed + 1))
        else
            printf ' %-9s' DIFFERS
            failed=$((failed + 1))
        fi
    done
    echo
done

# Each build's tests, through its test preset and so under its toolchain's emulator: the unit tests,
# and the end-to-end tests where the emulator can start the program. Verbose, for the counts of
# cases in the log.
echo "tests:"
for preset in "${presets[@]}"; do
    log="build/$preset-test.log"
    if ctest --preset "$preset" -j"$jobs" -V >"$log" 2>&1; then
        cases=$(grep -ao '\[  PASSED  \] [0-9]* tests' "$log" | grep -o '[0-9]*' | sort -rn | paste -sd+)
        echo "  $preset: $(grep -a 'tests passed' "$log") ($cases cases)"
    else
        tail -n 80 "$log"  # the programs print only their failed cases
        echo "  $preset: failed"
        failed=$((failed + 1))
    fi
done

# The Windows build's AVX kernels are sound only while the assembler writes their aligned vector
# moves as unaligned ones (simulation/CMakeLists.txt): none may be left. And the grid must run each
# kernel that this processor has, as it does natively: were the check by cpuid to come out otherwise
# under wine, the grid would leave those kernels out without failing.
echo "the Windows build's kernels:"
aligned=$(x86_64-w64-mingw32-objdump -d build/windows-x64-mingw/simulation/libsimulation.a |
    awk '/file format/ { avx = /^Avx/ } avx' | grep -cE '\s(v?movap[sd]|v?movdqa(32|64)?)\s' || true)
echo "  aligned vector moves in the AVX kernels: $aligned"
[ "$aligned" -eq 0 ] || failed=$((failed + 1))
has=(portable twolane)
for kernel in avx2 avx512f; do
    if grep -qw "$kernel" /proc/cpuinfo; then has+=("$kernel"); fi
done
expected=$(printf '%s\n' "${has[@]}" | sort | paste -sd' ')
# Each grid case's name ends in its kernel's.
gridded=$(wine build/windows-x64-mingw/tests/unit_tests.exe --gtest_list_tests --gtest_filter='Grid/*' |
    tr -d '\r' | sed -nE 's/^ +[^ ]+_([[:alnum:]]+)( .*)?$/\1/p' | sort -u | paste -sd' ')
echo "  in the grid under wine: $gridded; this processor has $expected"
[ "$gridded" = "$expected" ] || failed=$((failed + 1))

echo "took ${SECONDS} s"
echo "cross-check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
