#!/bin/sh
# run_fuzzer.sh FUZZER SEEDS SECONDS
# Fuzzes for the given time on a scratch copy of the seed corpus, so the committed seeds
# stay as they are. Anything found is kept in findings-<fuzzer>/ and fails the run.
set -eu
fuzzer=$1
seeds=$2
seconds=$3
name=$(basename "$fuzzer")

rm -rf "corpus-$name"
mkdir -p "corpus-$name" "findings-$name"
cp "$seeds"/* "corpus-$name"/
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="findings-$name/" "corpus-$name"
