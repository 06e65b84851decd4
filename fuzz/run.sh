#!/usr/bin/env bash
# Builds the fuzzers of the protocol reader and of the journal reader with clang (libFuzzer,
# AddressSanitizer, UBSan) and runs each for a bounded time; not part of ./test.sh.
#   fuzz/run.sh [SECONDS]          default 60, for each
# Needs clang and libclang-rt-14-dev (Debian 12) besides the project's packages. The build
# folder is $KAVR_FUZZ_BUILD (default build-fuzz); a crash is kept there as
# <reader>-crash-<sha1> and makes the script fail. Replay one with:
# <build>/fuzz_journal_reader <build>/journal-crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${KAVR_FUZZ_BUILD:-build-fuzz}

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j 2 --target fuzz_protocol_reader make_fuzz_seeds fuzz_journal_reader make_journal_seeds
mkdir -p "$build/corpus" "$build/journal-corpus"
"$build/make_fuzz_seeds" "$build/seeds" "$build/protocol.dict"
"$build/make_journal_seeds" "$build/journal-seeds" "$build/journal.dict"
"$build/fuzz_protocol_reader" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
    -dict="$build/protocol.dict" -artifact_prefix="$build/protocol-" -print_final_stats=1 \
    "$build/corpus" "$build/seeds"
"$build/fuzz_journal_reader" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
    -dict="$build/journal.dict" -artifact_prefix="$build/journal-" -print_final_stats=1 \
    "$build/journal-corpus" "$build/journal-seeds"
