#!/usr/bin/env bash
# The engine and the scenes see only the part of GL the program uses: a
# scene calling a GL function from within it builds, one calling a GL
# function from outside it does not.
# usage: gl_subset_test.sh COMPILER SOURCE_ROOT GL_NAMES_DIR (where the build made platform/gl_names.h)
set -u
compiler="$1"
root="$2"
names="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
compile() {
    printf '#include "k3d/k3d.h"\nvoid Draw() { %s }\n' "$1" > "$work/scene.cpp"
    "$compiler" -std=c++17 -fsyntax-only -I"$root" -I"$root/platform/include" -I"$names" "$work/scene.cpp" 2> "$work/errors"
}
if ! compile 'glBegin(GL_QUADS); glVertex2i(0, 0); glEnd(); gluPerspective(45, 1, 1, 10);'; then
    echo "a call within the subset does not build:"; cat "$work/errors"; exit 1
fi
if compile 'glPushMatrix();'; then
    echo "a call outside the subset builds"; exit 1
fi
if ! grep -q "glPushMatrix" "$work/errors"; then
    echo "the call outside the subset fails for another reason:"; cat "$work/errors"; exit 1
fi
echo "the subset is closed"
