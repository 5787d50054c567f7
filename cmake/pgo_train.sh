#!/usr/bin/env bash
# The training run of a profile-optimised build: runs the instrumented program on the work
# it is mostly run for, so that the compiler lays out and inlines the code for that work.
#
#   pgo_train.sh <instrumented rilk> <work directory> <examples directory> <stamp file>
#
# The work: the example C project built with GCC, then built again with nothing to do; a
# generated project of command targets (each copying a file, some gathering the outputs of
# others) built fresh, built again with nothing to do, and built once more after one input
# changed. Every run has a HOME of its own and stdin from /dev/null. The profile is written
# by each run of the program as it ends; the stamp file tells the build that it is done.
set -euo pipefail

rilk=$1
work=$2
examples=$3
stamp=$4

rm -rf "$work"
mkdir -p "$work/home"
export HOME="$work/home"
run() { "$rilk" "$@" </dev/null >/dev/null; }

if command -v gcc >/dev/null; then
    cp -r "$examples/hello" "$work/hello"
    rm -rf "$work/hello/out" "$work/hello/.rilk_cache"
    (cd "$work/hello" && run -j 4 && run -j 4)
fi

project="$work/commands"
mkdir -p "$project/in" "$project/out"
{
    echo "unit commands"
    printf 'all: +gather'
    for i in $(seq 0 299); do printf ' t%d' "$i"; done
    printf ' {\n    NO_TOOL = 1\n}\n'
    printf 'gather: t0 t1 t2 t3 {\n    parts = [P"(in/f0.txt)", P"(in/f1.txt)"]\n'
    printf '    ^joined = P"(out/joined.txt)"\n    cmdline = "cat ${parts} > ${joined}"\n}\n'
    for i in $(seq 0 299); do
        printf 't%d: {\n    in = P"(in/f%d.txt)"\n    ^out = P"(out/f%d.txt)"\n' "$i" "$i" "$i"
        printf '    cmdline = "cp ${in} ${out}"\n}\n'
        echo "$i" >"$project/in/f$i.txt"
    done
} >"$project/rilk.txt"
(cd "$project" && run -j 4 && run && run && touch in/f7.txt && run)

touch "$stamp"
